// Small helpers for driving the program's dialogs in-process (see tests/ui/ui_support.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/win32_text.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {

inline void SetText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, ToSystemText(text).c_str());
}
inline std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }
inline int CheckState(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
// A mouse click on a button, as the user gives it (a disabled button ignores it).
inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline std::vector<std::string> ListRows(HWND list) {
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        rows.push_back(FromSystemText(text));
    }
    return rows;
}
inline int RowOf(HWND list, const std::string& text) {
    std::vector<std::string> rows = ListRows(list);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == text) return static_cast<int>(i);
    }
    return -1;
}
// Posts a mouse click on a row (with MK_CONTROL for a control-click); the list handles
// it, and notifies its dialog, before the driver's next step.
inline void ClickRow(HWND list, int row, WPARAM keys = 0) {
    SendMessageW(list, LB_SETTOPINDEX, row, 0);
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, keys, at);
}

// A dialog window of this thread that is not one of the program's (a system dialog).
inline HWND FindSystemDialog() {
    for (HWND window : ThreadDialogs()) {
        if (!ui::Dialog::FromHandle(window)) return window;
    }
    return nullptr;
}
// The window of a running dialog of the program with this template.
inline HWND FindDialog(int templateId) {
    for (HWND window : ThreadDialogs()) {
        auto* dialog = ui::Dialog::FromHandle(window);
        if (dialog && dialog->TemplateId() == templateId) return window;
    }
    return nullptr;
}

}  // namespace verrow::test
