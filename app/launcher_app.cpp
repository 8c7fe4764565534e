#include "app/launcher_app.h"

#include "app/launcher_dialog.h"
#include "platform/os.h"
#include "platform/timing.h"
#include "platform/win32/win32_os.h"

namespace verrow {

bool LauncherApp::InitInstance() {
    static Win32Os services;
    SetOs(&services);

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
