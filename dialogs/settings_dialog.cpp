#include "dialogs/settings_dialog.h"

#include <commctrl.h>

namespace verrow {

int SettingsDialog::ViewModeForStyle(int listStyle) {
    switch (listStyle) {
    case 1:
        return LVS_SMALLICON;
    case 2:
        return LVS_REPORT;
    default:
        return LVS_ICON;
    }
}

void SettingsDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Check(IDC_START_OPEN, StartOpen);
    dx.ComboIndex(IDC_LIST_STYLE, ListStyle);
}

void SettingsDialog::OnOK() {
    UpdateData(true);
    ViewMode = ViewModeForStyle(ListStyle);
    Dialog::OnOK();
}

}  // namespace verrow
