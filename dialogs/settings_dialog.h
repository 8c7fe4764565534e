// The settings dialog (template IDD_SETTINGS): whether the launch drive opens in Explorer at
// start-up, and the display style of the entry list. The combo box's three items come
// from the template's initialisation data.
//
//   SettingsDialog dialog;
//   dialog.StartOpen = settings.StartOpen;
//   dialog.ListStyle = settings.ListStyle;
//   if (dialog.DoModal() == IDOK) { store StartOpen and ListStyle; apply ViewMode; }
#pragma once

#include "platform/ui/dialog.h"
#include "resources/resource.h"

namespace verrow {

class SettingsDialog : public ui::Dialog {
public:
    explicit SettingsDialog(HWND parent = nullptr) : Dialog(IDD_SETTINGS, parent) {}

    // The list view's view bits for a display style: icons 0 (LVS_ICON), list 2
    // (LVS_SMALLICON: small icons, not LVS_LIST), details 1 (LVS_REPORT). A style without
    // a view of its own gives the icon view, as the start-up shows such a value.
    static int ViewModeForStyle(int listStyle);

    int ViewMode = 0;    // out: set by OK from ListStyle
    int StartOpen = 0;   // check box IDC_START_OPEN
    int ListStyle = -1;  // combo box IDC_LIST_STYLE; -1 when no item is selected

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnOK() override;
};

}  // namespace verrow
