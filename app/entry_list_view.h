// The entry list of the main window (list view IDC_LIST): one item per registration, with
// its name, a picture that tells whether it starts with the launcher, and its full path
// in the second column. Each item's data is its entry's position in the EntryList.
//
// The rows' texts live here, not in the control: its items ask for them when they are
// drawn, measured or read (LPSTR_TEXTCALLBACK; the owner hands LVN_GETDISPINFO to
// OnGetDispInfo). A thousand rows then go in and out without two strings each in the
// control. Rows change only through the members below, which hide the plain list's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "storage/entry_store.h"

namespace verrow {

class EntryListView : public ui::ListView, public EntrySink {
public:
    static constexpr int kNormalImage = 0;   // a standing figure
    static constexpr int kStartUpImage = 1;  // a running figure
    static constexpr DWORD kExtendedStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

    // The two columns "名前" and "パス", left aligned, without a width until FitColumns.
    void InsertColumns() const;
    // The same images in the large, small and state slots, so every view shows 16 x 16.
    void UseImages(const ui::ImageSet& images) const;
    // Exactly grid lines and full-row selection; every other extended style off.
    void SetExtendedStyles() const { SetExtendedStyle(0, kExtendedStyles); }
    // The view of a settings value, from the template's icon view: 0 icons, 1 small icons
    // (never the list view), 2 details; any other value leaves the view as it is.
    void SetViewFromListStyle(int listStyle) const;
    // The selected item (single selection: at most one), or -1.
    int SelectedItem() const { return NextItem(-1, LVNI_SELECTED); }
    // Scrolls the selected row into sight, from its beginning, after a change of view: the
    // new view's items lie elsewhere, and some list controls keep the old scroll position.
    void ShowSelectedRow() const;

    // EntrySink: a row at the end; the columns sized to their content, or to their
    // headers while the list is empty.
    void AppendRow(const std::string& name, int image, const std::string& pathText,
                   EntryCollection::Position position) override;
    void FitColumns() override;
    bool Stopped() const override { return stopped_; }
    void StopFilling() { stopped_ = true; }  // the load takes no more rows

    // The rows, as the plain list's members of the same names do it.
    int InsertItem(int index, const std::string& text, int image);
    bool SetItemText(int item, int subItem, const std::string& text);
    // The row's own bytes: read back through the control, a character with two codes (an
    // NEC special character and its JIS twin) would come back as the other.
    std::string ItemText(int item, int subItem) const;
    bool DeleteItem(int item);
    // Answers the control's question for a row's text.
    void OnGetDispInfo(NMLVDISPINFOW& info) const;

    // While one lives, rows go in without the list redrawing itself for each (and the
    // owner may skip its per-row work, see Filling()); at its end the list is drawn anew
    // once. A thousand rows then take a fraction of the time.
    class Fill {
    public:
        explicit Fill(EntryListView& list);
        ~Fill();
        Fill(const Fill&) = delete;
        Fill& operator=(const Fill&) = delete;

    private:
        EntryListView& list_;
    };
    bool Filling() const { return filling_; }

private:
    // A text of texts_: where it starts, and its length.
    struct Text {
        std::size_t at = 0;
        std::size_t size = 0;
    };
    struct Row {
        Text name;  // column 0
        Text path;  // column 1
    };
    Text Keep(const std::string& text);
    void WidenNameColumn() const;
    // Puts `row` in at `index` with its item's data, its texts asked for by the list;
    // the index, or -1.
    int InsertRow(int index, Row row, int image, LPARAM data);
    std::string_view TextOf(Text text) const { return std::string_view(texts_).substr(text.at, text.size); }

    // Every row's texts one after another, so that a thousand rows come and go with a few
    // allocations rather than two each; a changed text is added anew (the old one stays
    // unused until the list goes: edits are few).
    std::string texts_;
    std::vector<Row> rows_;  // by item index
    bool filling_ = false;
    bool stopped_ = false;
};

}  // namespace verrow
