// The about box: the program's icon, name and version, and an OK button (template IDD_ABOUT).
// Everything is the framework's default: OK and Enter end it with IDOK, Esc and the close
// box with IDCANCEL.
//
// A window offers it through its system menu: AddToSystemMenu in its initialisation, and
// in its OnSysCommand: if (AboutDialog::IsOpenCommand(command)) { AboutDialog().DoModal(); ... }
#pragma once

#include "platform/ui/dialog.h"
#include "resources/resource.h"

namespace verrow {

class AboutDialog : public ui::Dialog {
public:
    explicit AboutDialog(HWND parent = nullptr);

    // Appends a separator and the item (string IDS_ABOUT_MENU, "Verrow のﾊﾞｰｼﾞｮﾝ情報(&A)...",
    // command IDM_ABOUT) to `window`'s system menu.
    static bool AddToSystemMenu(HWND window);
    // The system commands that open the box: the system keeps the low four bits for its
    // own use, so 0x10 to 0x1F all do.
    static bool IsOpenCommand(UINT command) { return (command & 0xFFF0) == IDM_ABOUT; }
};

}  // namespace verrow
