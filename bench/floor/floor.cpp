// The floor of the start benchmark: the least a Win32 dialog program with one list view
// does. Same toolchain, static, the same common controls (6, by its manifest) and font as
// Verrow's main window, shown with DialogBox; WM_CLOSE ends it. A build with timing marks
// (tools/bench.sh --timing) marks its steps as Verrow does.
#include <windows.h>
#include <commctrl.h>

#include "platform/timing.h"

namespace {

INT_PTR CALLBACK FloorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    VERROW_MARK_DIALOG_MESSAGE(message);
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    VERROW_MARK("WinMain");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    VERROW_MARK("controls registered");
    VERROW_MARK("dialog: create");
    int result = static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, &FloorProc, 0));
    VERROW_MARK("dialog: destroyed");
    return result;
}
