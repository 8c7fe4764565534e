#include "app/entry_list_view.h"

namespace verrow {

void EntryListView::InsertColumns() const {
    InsertColumn(0, "名前");
    InsertColumn(1, "パス");
}

void EntryListView::UseImages(const ui::ImageList& images) const {
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

void EntryListView::AppendRow(const std::string& name, int image, const std::string& pathText,
                              EntryList::Position position) {
    // The data goes in with the item: one message, and no change for the list to report.
    int item = InsertItem(ItemCount(), name, image, static_cast<LPARAM>(position));
    if (item < 0) return;
    SetItemText(item, 1, pathText);
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
}

}  // namespace verrow
