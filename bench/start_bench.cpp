// Start a dialog program as a double-click on the stick does, time it until its dialog
// is visible, read its peak working set, close it with WM_CLOSE and time its end.
#include "bench/bench.h"

#include <commctrl.h>
#include <psapi.h>

#include <string>

#include "resources/resource.h"

namespace verrow::bench {
namespace {

// The visible top-level dialog of the process, or null. Only dialogs are asked about:
// under wine every question about another process's window is a request to the wine server,
// which also serves the program's own file and window calls, so a probe that walked
// every window each millisecond would slow down the very start it times.
HWND FindVisibleDialog(DWORD pid) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid) return IsWindowVisible(window) ? window : nullptr;
    }
    return nullptr;
}

constexpr DWORD kSettleMs = 100;

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

StartResult StartAndClose(const std::string& exe, DWORD timeoutMs) {
    StartResult result;
    std::string command = "\"" + exe + "\"";
    std::string folder = FolderOf(exe);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};

    Stopwatch watch;
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        result.error = "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
        return result;
    }
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);

    // Polled every millisecond: fine enough against starts of a few hundred, and the same
    // for every program measured.
    HWND found = nullptr;
    for (;;) {
        found = FindVisibleDialog(info.dwProcessId);
        if (found) break;
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            result.error = exe + " ended without showing its window";
            return result;
        }
        if (watch.Ms() > timeoutMs) {
            result.error = exe + " showed no window in time";
            TerminateProcess(process.get(), 1);
            return result;
        }
        Sleep(1);
    }
    result.startMs = watch.Ms();

    // The list of either program (the floor's has the same id).
    if (HWND list = GetDlgItem(found, IDC_LIST)) {
        result.listItems = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    }
    // Closed once settled, as a user closes it: what a program does right after its window
    // shows (such as making its tooltips) is part of what its close has to undo.
    WaitForInputIdle(process.get(), timeoutMs);
    Sleep(kSettleMs);

    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) result.peakWorkingSet = counters.PeakWorkingSetSize;

    Stopwatch closing;
    PostMessageA(found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        result.error = exe + " did not end after WM_CLOSE";
        TerminateProcess(process.get(), 1);
        return result;
    }
    result.closeMs = closing.Ms();
    result.ok = true;
    return result;
}

}  // namespace verrow::bench
