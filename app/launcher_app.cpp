#include "app/launcher_app.h"

#include "app/launcher_dialog.h"
#include "core/launch_entry.h"
#include "platform/os.h"
#include "platform/timing.h"
#include "platform/win32/win32_os.h"
#include "platform/win32_text.h"

namespace verrow {

bool LauncherApp::InitInstance() {
    static Win32Os services;
    SetOs(&services);
    // A drive letter without its media (a card reader whose card was pulled) fails this
    // thread's file calls instead of raising the system's "no disk" box for each of them:
    // Verrow says what failed itself. The thread's mode, which started programs do not
    // inherit.
    services.SetThreadErrorMode(kFailCriticalErrors, nullptr);
    // A copy started by a program of another copy inherits that copy's drive variable,
    // another stick's drive, and would hand it on to every program started without an
    // environment of its own. Those get none, as after any other start.
    ::SetEnvironmentVariableW(ToSystemText(kDriveVariable).c_str(), nullptr);

    {
        LauncherDialog dialog;
        SetMainWindow(&dialog);
        dialog.DoModal();  // every way of closing leads to the same end
        // The window has gone and written what it could; now say what it could not.
        dialog.ReportUnsaved();
    }
    VERROW_MARK("main window's object released");
    return false;
}

}  // namespace verrow
