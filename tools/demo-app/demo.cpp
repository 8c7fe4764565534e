// The demo drive's sample program: shows what the launcher started it with — its command
// line, its working folder and the variables a registration can set — in a message box.
#include <windows.h>

#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return L"(なし)";
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::wstring CurrentFolder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    folder.resize(GetCurrentDirectoryW(size, folder.data()));
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    std::wstring text = L"Verrow から起動されました。\n\n";
    text += L"コマンドライン:\n    " + std::wstring(GetCommandLineW()) + L"\n\n";
    text += L"作業フォルダ:\n    " + CurrentFolder() + L"\n\n";
    text += L"_VERROW_DRV_ = " + Variable(L"_VERROW_DRV_") + L"\n";
    text += L"DEMO_DATA = " + Variable(L"DEMO_DATA") + L"\n";
    text += L"DEMO_HOME = " + Variable(L"DEMO_HOME") + L"\n\n";
    text += L"PATH =\n    " + Variable(L"PATH");
    MessageBoxW(nullptr, text.c_str(), L"Verrow デモ", MB_OK | MB_ICONINFORMATION);
    return 0;
}
