#include "dialogs/about_dialog.h"

#include "platform/ui/app.h"

namespace verrow {

AboutDialog::AboutDialog(HWND parent) : Dialog(IDD_ABOUT, parent) {}

bool AboutDialog::AddToSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    // The string resource is UTF-16 in the executable: handed over as it is.
    const wchar_t* text = nullptr;
    int length = LoadStringW(ui::ResourceInstance(), IDS_ABOUT_MENU, reinterpret_cast<LPWSTR>(&text), 0);
    if (!menu || length <= 0) return false;
    std::wstring item(text, static_cast<std::size_t>(length));
    return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) && AppendMenuW(menu, MF_STRING, IDM_ABOUT, item.c_str());
}

}  // namespace verrow
