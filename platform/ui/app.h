// The application object and the entry routine.
//
// The program defines exactly one global object of a class derived from Application and
// overrides InitInstance, which does all the work (typically: install the operating-system
// services with SetOs, which the message boxes need; run the main dialog with DoModal;
// return false). The executable is a GUI one (add_executable(... WIN32 ...)) and links the
// object libraries `verrow_entry`, whose WinMain calls RunApplication, and
// `verrow_resources`.
//
// RunApplication, in this order:
//  1. restricts the DLL search path to the system folder with SetDefaultDllDirectories
//     (looked up at run time: Windows 7 without its update lacks it); only where that is
//     missing or refused does SetDllDirectory("") take the current folder out, since
//     older systems hand that setting on to the programs started. The program lives on
//     a drive that other machines write to;
//  2. registers the common control classes that the templates use;
//  3. sets the instance handle, the application name (the executable's file name without
//     folder and last extension: App.beta.exe gives App.beta) and the help path (the
//     executable's path with its last extension replaced by ".HLP");
//  4. calls InitInstance. When it returns false, no message loop runs and the exit code
//     is 0; when it returns true, a message loop runs until WM_QUIT, whose code is returned.
//
// Help: the command ID_HELP (57670) that no dialog handles reaches OnHelp, which asks the
// help viewer for the help file. F1 without Shift, Ctrl or Alt in a dialog of the program
// sends ID_HELP to that dialog (see dialog.h); in a message box, a picker or a dialog's
// system menu, whose loops the system runs, WatchHelpKey makes it send ID_HELP to the main
// window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/scoped.h"

namespace verrow::ui {

class Dialog;

constexpr UINT kIdHelp = 57670;  // ID_HELP

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one application object, or null before it exists.
    static Application* Current();

    virtual bool InitInstance() = 0;
    // Shows the help file; the default asks the system help viewer (WinHelp, HELP_FINDER).
    virtual void OnHelp(HWND window);

    HINSTANCE Instance() const { return instance_; }
    const std::string& AppName() const { return appName_; }
    const std::string& HelpPath() const { return helpPath_; }

    // The main window while it runs; the framework clears it when that window is destroyed.
    Dialog* MainWindow() const { return mainWindow_; }
    void SetMainWindow(Dialog* dialog) { mainWindow_ = dialog; }

    // Steps 3 and 4 above for `modulePath` (a code page 932 path); used by RunApplication.
    int Run(HINSTANCE instance, const std::string& modulePath);

private:
    HINSTANCE instance_ = nullptr;
    std::string appName_;
    std::string helpPath_;
    Dialog* mainWindow_ = nullptr;
};

// The entry routine's work (all four steps above); returns the process exit code.
int RunApplication(HINSTANCE instance);

// Step 1 above: true when the search path is restricted to the system folder.
bool RestrictDllSearchPath();

// The application name and help path for an executable path.
std::string AppNameFromPath(const std::string& modulePath);
std::string HelpPathFromPath(const std::string& modulePath);

// The window that a dialog or message box without a parent belongs to: the thread's
// active window; with none (while the main window initialises, it is not yet shown; or
// another program is in front), the main window or what it last brought to the front.
HWND DefaultOwner();

// While the result lives, F1 (as dialog.h's IsHelpKey) in a loop that the system runs itself
// sends ID_HELP to the main window, if there is one. Only around such a loop: under wine
// each message that the filter sees costs a request to the window server.
ScopedHook WatchHelpKey();

// The module whose resources the framework loads: the application's instance, else the
// executable (test programs have no application object).
HINSTANCE ResourceInstance();

}  // namespace verrow::ui
