// The executable's entry point, in an object library of its own (`verrow_entry`) so that
// test programs, which bring their own main, do not get it.
#include <windows.h>

#include "platform/timing.h"
#include "platform/ui/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    VERROW_MARK("WinMain");
    // Arguments are ignored: the program takes none.
    return verrow::ui::RunApplication(instance);
}
