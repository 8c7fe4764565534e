#include "app/entry_list_view.h"

#include <windows.h>

#include <algorithm>

#include "platform/scoped.h"
#include "platform/win32_text.h"
#include "resources/texts.h"

namespace verrow {

void EntryListView::InsertColumns() const {
    InsertColumn(0, text::kNameColumn);
    InsertColumn(1, text::kPathColumn);
}

void EntryListView::UseImages(const ui::ImageSet& images) const {
    SetImageList(images, LVSIL_NORMAL);
    SetImageList(images, LVSIL_SMALL);
    SetImageList(images, LVSIL_STATE);
}

void EntryListView::SetViewFromListStyle(int listStyle) const {
    switch (listStyle) {
    case 0:
        ModifyStyle(LVS_TYPEMASK, 0);
        break;
    case 1:
        ModifyStyle(LVS_REPORT, LVS_SMALLICON);  // clears bit 1, sets bit 2: never LVS_LIST
        break;
    case 2:
        ModifyStyle(LVS_SMALLICON, LVS_REPORT);
        break;
    default:
        break;  // an unknown value is kept in the settings but leaves the view alone
    }
}

void EntryListView::ShowSelectedRow() const {
    const int selected = SelectedItem();
    if (selected < 0) return;
    EnsureVisible(selected);
    // A row wider than the list (a long name) is now shown to its end, its name out of
    // sight: back to its beginning.
    RECT row;
    if (ItemRect(selected, LVIR_BOUNDS, row) && row.left < 0) {
        Send(LVM_SCROLL, static_cast<WPARAM>(row.left), 0);  // pixels in every view but the list's
    }
}

int EntryListView::InsertRow(int index, Row row, int image, LPARAM data) {
    rows_.insert(rows_.begin() + index, row);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = image;
    item.lParam = data;
    if (Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != index) {
        rows_.erase(rows_.begin() + index);
        return -1;
    }
    // Column 1 asks too (some list controls keep an unset column empty instead).
    LVITEMW column{};
    column.iSubItem = 1;
    column.pszText = LPSTR_TEXTCALLBACKW;
    Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    return index;
}

int EntryListView::InsertItem(int index, const std::string& text, int image) {
    int count = ItemCount();
    if (index < 0 || index > count) index = count;
    return InsertRow(index, Row{Keep(text), Text{}}, image, 0);
}

bool EntryListView::SetItemText(int item, int subItem, const std::string& text) {
    if (item < 0 || static_cast<std::size_t>(item) >= rows_.size() || subItem < 0 || subItem > 1) return false;
    Row& row = rows_[static_cast<std::size_t>(item)];
    (subItem == 0 ? row.name : row.path) = Keep(text);
    // The item's text stays the callback. Setting it again tells the list that the text
    // changed, and LVM_UPDATE has it measure the label anew: a list that keeps label widths
    // would otherwise draw a renamed item in its old width.
    LVITEMW callback{};
    callback.iSubItem = subItem;
    callback.pszText = LPSTR_TEXTCALLBACKW;
    if (!Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&callback))) return false;
    return Send(LVM_UPDATE, static_cast<WPARAM>(item)) != 0;
}

std::string EntryListView::ItemText(int item, int subItem) const {
    if (item < 0 || static_cast<std::size_t>(item) >= rows_.size() || subItem < 0 || subItem > 1) return {};
    const Row& row = rows_[static_cast<std::size_t>(item)];
    return std::string(TextOf(subItem == 0 ? row.name : row.path));
}

bool EntryListView::DeleteItem(int item) {
    if (!ListView::DeleteItem(item)) return false;
    if (item >= 0 && static_cast<std::size_t>(item) < rows_.size()) rows_.erase(rows_.begin() + item);
    return true;
}

void EntryListView::OnGetDispInfo(NMLVDISPINFOW& info) const {
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0) return;
    info.item.pszText[0] = L'\0';
    const int item = info.item.iItem;
    if (item < 0 || static_cast<std::size_t>(item) >= rows_.size()) return;
    const Row& row = rows_[static_cast<std::size_t>(item)];
    std::wstring text = ToSystemText(info.item.iSubItem == 0   ? TextOf(row.name)
                                     : info.item.iSubItem == 1 ? TextOf(row.path)
                                                               : std::string_view());
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    std::copy_n(text.data(), length, info.item.pszText);
    info.item.pszText[length] = L'\0';
}

void EntryListView::AppendRow(const std::string& name, int image, const std::string& pathText,
                              EntryCollection::Position position) {
    // The data goes in with the item: one message, and no change for the list to report.
    InsertRow(ItemCount(), Row{Keep(name), Keep(pathText)}, image, static_cast<LPARAM>(position));
}

EntryListView::Text EntryListView::Keep(const std::string& text) {
    Text kept{texts_.size(), text.size()};
    texts_ += text;
    return kept;
}

EntryListView::Fill::Fill(EntryListView& list) : list_(list) {
    list_.filling_ = true;
    list_.Send(WM_SETREDRAW, FALSE);
}

EntryListView::Fill::~Fill() {
    list_.Send(WM_SETREDRAW, TRUE);
    InvalidateRect(list_.Handle(), nullptr, TRUE);
    list_.filling_ = false;
}

void EntryListView::FitColumns() {
    int width = ItemCount() > 0 ? LVSCW_AUTOSIZE : LVSCW_AUTOSIZE_USEHEADER;
    SetColumnWidth(0, width);
    SetColumnWidth(1, width);
    if (width == LVSCW_AUTOSIZE) WidenNameColumn();
}

// Some list controls leave the state images' room out of the width they fit column 0 to,
// though they draw the names after it: each name would lose its last characters. The
// column then grows to hold the widest name where the rows really put it. Only the
// details view says where that is; the other views fit again when details are chosen.
void EntryListView::WidenNameColumn() const {
    if ((Style() & LVS_TYPEMASK) != LVS_REPORT || rows_.empty()) return;
    RECT label, row;
    if (!ItemRect(0, LVIR_LABEL, label) || !ItemRect(0, LVIR_BOUNDS, row)) return;
    // Measured in one DC with the list's font: the list's own measure takes a DC per text,
    // which a thousand rows would notice.
    Scoped<HDC, ReleaseWindowDc> dc(GetDC(Handle()), ReleaseWindowDc{Handle()});
    if (!dc) return;
    ScopedSelect font(dc.get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
    // As much of a name as the list shows: it asks for a row's text with room for 259
    // characters.
    constexpr std::size_t kShownCharacters = 259;
    int widest = 0;
    for (const Row& each : rows_) {
        std::wstring name = ToSystemText(TextOf(each.name)).substr(0, kShownCharacters);
        SIZE size{};
        if (GetTextExtentPoint32W(dc.get(), name.c_str(), static_cast<int>(name.size()), &size)) {
            widest = std::max(widest, static_cast<int>(size.cx));
        }
    }
    constexpr int kLabelRoom = 12;  // the margins a label is drawn within
    int needed = static_cast<int>(label.left - row.left) + widest + kLabelRoom;
    if (needed > ColumnWidth(0)) SetColumnWidth(0, needed);
}

}  // namespace verrow
