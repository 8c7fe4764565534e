#include "platform/ui/app.h"

#include <commctrl.h>

#include "base/path.h"
#include "platform/timing.h"
#include "platform/ui/dialog.h"
#include "platform/win32/win32_os.h"
#include "platform/win32_text.h"

namespace verrow::ui {
namespace {
Application* g_app = nullptr;
}  // namespace

Application::Application() { g_app = this; }

Application::~Application() {
    if (g_app == this) g_app = nullptr;
}

Application* Application::Current() { return g_app; }

void Application::OnHelp(HWND window) {
    WinHelpW(window, ToSystemText(helpPath_).c_str(), HELP_FINDER, 0);
}

int Application::Run(HINSTANCE instance, const std::string& modulePath) {
    instance_ = instance;
    appName_ = AppNameFromPath(modulePath);
    helpPath_ = HelpPathFromPath(modulePath);
    bool loop = InitInstance();
    VERROW_MARK("InitInstance returned");
    if (!loop) return 0;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool RestrictDllSearchPath() {
    // The current folder (often the stick) is no place for our DLLs. The default
    // directories stay with this process; SetDllDirectory is the fallback only, because
    // older systems hand its setting on to the programs we start.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto set = kernel ? reinterpret_cast<SetDirectories>(
                            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                      : nullptr;
    if (set && set(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE) return true;
    SetDllDirectoryW(L"");
    return false;
}

int RunApplication(HINSTANCE instance) {
    RestrictDllSearchPath();
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    VERROW_MARK("controls registered");
    Application* app = Application::Current();
    if (!app) return 0;
    return app->Run(instance, ExecutablePathText());
}

std::string AppNameFromPath(const std::string& modulePath) { return SplitPath(modulePath).base; }

std::string HelpPathFromPath(const std::string& modulePath) {
    PathParts parts = SplitPath(modulePath);
    return parts.drive + parts.dir + parts.base + ".HLP";
}

namespace {
LRESULT CALLBACK HelpKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX || code == MSGF_MENU) && message && IsHelpKey(*message)) {
        Application* app = Application::Current();
        Dialog* main = app ? app->MainWindow() : nullptr;
        if (HWND window = main ? main->Handle() : nullptr) {
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdHelp, 0), 0);
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

ScopedHook WatchHelpKey() {
    return ScopedHook(SetWindowsHookExW(WH_MSGFILTER, &HelpKeyFilter, nullptr, GetCurrentThreadId()));
}

HWND DefaultOwner() {
    if (HWND active = GetActiveWindow()) return active;
    Application* app = Application::Current();
    Dialog* main = app ? app->MainWindow() : nullptr;
    HWND window = main ? main->Handle() : nullptr;
    return window ? GetLastActivePopup(window) : nullptr;
}

HINSTANCE ResourceInstance() {
    Application* app = Application::Current();
    if (app && app->Instance()) return app->Instance();
    return GetModuleHandleW(nullptr);
}

}  // namespace verrow::ui
