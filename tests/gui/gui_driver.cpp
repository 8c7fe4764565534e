#include "tests/gui/gui_driver.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/win32_text.h"
#include "resources/resource.h"

namespace verrow::gui {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
        // A program that does not answer would pass every check that expects 0 or "".
        if (GetLastError() == ERROR_TIMEOUT) ADD_FAILURE() << "no answer to message " << message;
        return 0;
    }
    return static_cast<LRESULT>(result);
}

struct Search {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!IsWindowVisible(window) || ProcessOf(window) != search->pid) return TRUE;
    if (search->className) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (wcscmp(name, search->className) != 0) return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

template <typename Predicate>
auto WaitFor(DWORD timeoutMs, Predicate find) -> decltype(find()) {
    DWORD start = GetTickCount();
    for (;;) {
        auto result = find();
        if (result || GetTickCount() - start > timeoutMs) return result;
        Sleep(20);
    }
}

}  // namespace

// --- Text and files

std::wstring Wide(const std::string& text) { return ToSystemText(text); }

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = FromSystemText(data.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void EmptyFolder(const std::string& folder) {
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    for (const std::string& name : FolderNames(folder)) {
        std::wstring path = Wide(folder + "\\" + name);
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    }
}

std::string EntryFile(const std::string& name, const std::string& path, int startUp, const std::string& cmdOpt,
                      const std::string& currentDir) {
    return "[MoxEnvExec]\r\nAppName=" + name + "\r\nAppPath=" + path + "\r\nCmdOpt=" + cmdOpt +
           "\r\nCurrentDir=" + currentDir + "\r\nUseCustomEnv=0\r\nOverWriteEnv=0\r\nStartUp=" +
           std::to_string(startUp) + "\r\n";
}

std::string FromUnix(const char* path) {
    if (!path || path[0] != '/') return std::string();
    std::string out = std::string("Z:") + path;
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

bool TestDrive::Available() { return std::getenv("VERROW_DRIVE_V") != nullptr; }

void TestDrive::Prepare(const std::string& settings,
                        const std::vector<std::pair<std::string, std::string>>& entries) {
    DeleteFileW(Wide(Settings()).c_str());
    if (!settings.empty()) WriteFileBytes(Settings(), settings);
    EmptyFolder(ConfigFolder());
    for (const auto& [name, bytes] : entries) WriteFileBytes(ConfigFolder() + "\\" + name, bytes);
    DeleteFileW(L"V:\\tools\\probe\\probe.out");
    DeleteFileW(L"V:\\tools\\stamp\\stamp.out");
}

// --- Windows

std::string WindowText(HWND window) {
    auto length = static_cast<std::size_t>(SendTo(window, WM_GETTEXTLENGTH));
    std::wstring buffer(length + 1, L'\0');
    auto got = static_cast<std::size_t>(
        SendTo(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(std::min(got, length));
    return FromSystemText(buffer);
}

bool SetWindowText932(HWND window, const std::string& text) {
    std::wstring wide = Wide(text);
    return SendTo(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())) != 0;
}

std::string ClassName(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return FromSystemText(name);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className) {
    Search search{pid, className, {}};
    EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsMessageBox(HWND window) {
    HWND text = GetDlgItem(window, 0xFFFF);
    return ClassName(window) == "#32770" && text && ClassName(text) == "Static";
}

namespace {

test::Pixels CaptureOnce(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return test::Pixels();
    HDC screen = GetDC(nullptr);
    test::Pixels pixels = test::CopyPixels(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

test::Pixels CaptureFromScreen(HWND window) {
    // Wine hands a program's drawing to the screen when it gets round to it: on a busy
    // host one picture can catch a window half drawn, two alike in a row do not.
    test::Pixels last = CaptureOnce(window);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs;) {
        Sleep(100);
        test::Pixels now = CaptureOnce(window);
        if (now == last) break;
        last = std::move(now);
    }
    return last;
}

// --- RemoteMemory

RemoteMemory::RemoteMemory(HANDLE process, std::size_t size)
    : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteMemory::~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(const void* data, std::size_t size, std::size_t offset) const {
    SIZE_T done = 0;
    return address_ && WriteProcessMemory(process_, Address(offset), data, size, &done) && done == size;
}

bool RemoteMemory::Read(void* data, std::size_t size, std::size_t offset) const {
    SIZE_T done = 0;
    return address_ && ReadProcessMemory(process_, Address(offset), data, size, &done) && done == size;
}

// --- RemoteListView

int RemoteListView::Count() const { return static_cast<int>(SendTo(list_, LVM_GETITEMCOUNT)); }

std::string RemoteListView::Text(int item, int subItem) const {
    constexpr std::size_t kChars = 2048;
    RemoteMemory memory(process_, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW data{};
    data.iSubItem = subItem;
    data.pszText = static_cast<LPWSTR>(memory.Address(sizeof data));
    data.cchTextMax = kChars;
    if (!memory.Write(&data, sizeof data)) return std::string();
    auto length = static_cast<std::size_t>(SendTo(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), memory.Param()));
    std::wstring text(std::min(length, kChars - 1), L'\0');
    if (!text.empty() && !memory.Read(text.data(), text.size() * sizeof(wchar_t), sizeof data)) return std::string();
    return FromSystemText(text);
}

namespace {
bool GetItem(HANDLE process, HWND list, LVITEMW& data) {
    RemoteMemory memory(process, sizeof data);
    return memory.Write(&data, sizeof data) && SendTo(list, LVM_GETITEMW, 0, memory.Param()) &&
           memory.Read(&data, sizeof data);
}
}  // namespace

int RemoteListView::Image(int item) const {
    LVITEMW data{};
    data.mask = LVIF_IMAGE;
    data.iItem = item;
    return GetItem(process_, list_, data) ? data.iImage : -1;
}

LPARAM RemoteListView::Data(int item) const {
    LVITEMW data{};
    data.mask = LVIF_PARAM;
    data.iItem = item;
    return GetItem(process_, list_, data) ? data.lParam : 0;
}

UINT RemoteListView::State(int item, UINT mask) const {
    return static_cast<UINT>(SendTo(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

int RemoteListView::Selected() const {
    return static_cast<int>(SendTo(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

bool RemoteListView::Select(int item) const {
    LVITEMW data{};
    data.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    data.state = LVIS_SELECTED | LVIS_FOCUSED;
    RemoteMemory memory(process_, sizeof data);
    return memory.Write(&data, sizeof data) &&
           SendTo(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), memory.Param()) != 0;
}

DWORD RemoteListView::ExtendedStyle() const {
    return static_cast<DWORD>(SendTo(list_, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

int RemoteListView::ColumnCount() const {
    auto header = reinterpret_cast<HWND>(SendTo(list_, LVM_GETHEADER));
    return header ? static_cast<int>(SendTo(header, HDM_GETITEMCOUNT)) : 0;
}

std::string RemoteListView::ColumnHeader(int column) const {
    constexpr std::size_t kChars = 256;
    RemoteMemory memory(process_, sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
    LVCOLUMNW data{};
    data.mask = LVCF_TEXT;
    data.pszText = static_cast<LPWSTR>(memory.Address(sizeof data));
    data.cchTextMax = kChars;
    std::wstring text(kChars, L'\0');
    if (!memory.Write(&data, sizeof data) || !memory.Write(text.data(), kChars * sizeof(wchar_t), sizeof data) ||
        !SendTo(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), memory.Param()) ||
        !memory.Read(text.data(), kChars * sizeof(wchar_t), sizeof data)) {
        return std::string();
    }
    text.resize(wcsnlen(text.c_str(), kChars));
    return FromSystemText(text);
}

int RemoteListView::ColumnWidth(int column) const {
    return static_cast<int>(SendTo(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

int RemoteListView::StringWidth(const std::string& text) const {
    std::wstring wide = Wide(text);
    RemoteMemory memory(process_, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory.Write(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))) return 0;
    return static_cast<int>(SendTo(list_, LVM_GETSTRINGWIDTHW, 0, memory.Param()));
}

HIMAGELIST RemoteListView::ImageList(int which) const {
    return reinterpret_cast<HIMAGELIST>(SendTo(list_, LVM_GETIMAGELIST, static_cast<WPARAM>(which)));
}

RECT RemoteListView::ItemRect(int item, int part) const {
    RECT rect{};
    rect.left = part;
    RemoteMemory memory(process_, sizeof rect);
    if (!memory.Write(&rect, sizeof rect) ||
        !SendTo(list_, LVM_GETITEMRECT, static_cast<WPARAM>(item), memory.Param()) ||
        !memory.Read(&rect, sizeof rect)) {
        return RECT{};
    }
    return rect;
}

void RemoteListView::DoubleClick(int item) const {
    RECT r = ItemRect(item, LVIR_LABEL);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list_, WM_LBUTTONUP, 0, at);
    PostMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list_, WM_LBUTTONUP, 0, at);
}

// --- Processes

std::vector<ProcessInfo> ChildProcesses(DWORD parent) {
    std::vector<ProcessInfo> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        ProcessInfo child;
        child.id = entry.th32ProcessID;
        child.parent = parent;
        child.exe = Lower(FromSystemText(entry.szExeFile));
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, child.id)) {
            FILETIME created{}, exited{}, kernel{}, user{};
            if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
                child.created = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
            }
            CloseHandle(process);
        }
        children.push_back(child);
    }
    CloseHandle(snapshot);
    return children;
}

void EndChildren(DWORD parent, const std::string& exe) {
    for (const ProcessInfo& child : ChildProcesses(parent)) {
        if (child.exe != exe) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child.id)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 2000);
            CloseHandle(process);
        }
    }
}

std::vector<ProcessInfo> Explorers(DWORD parent) {
    std::vector<ProcessInfo> found;
    for (const ProcessInfo& child : ChildProcesses(parent)) {
        if (child.exe == "explorer.exe") found.push_back(child);
    }
    return found;
}

std::string ShownFolder(DWORD parent) {
    for (const ProcessInfo& explorer : Explorers(parent)) {
        for (HWND window : TopWindows(explorer.id, L"ExplorerWClass")) {
            HWND bar = FindWindowExW(window, nullptr, L"ReBarWindow32", nullptr);
            HWND address = bar ? FindWindowExW(bar, nullptr, L"ComboBoxEx32", nullptr) : nullptr;
            if (address) return WindowText(address);
        }
    }
    return std::string();
}

// --- VerrowProcess

VerrowProcess::~VerrowProcess() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 2000);
    }
    EndChildren(info_.dwProcessId, "explorer.exe");
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool VerrowProcess::Start(const std::string& exe, const std::string& directory, DWORD timeoutMs) {
    return Start(Wide(exe), Wide(directory), timeoutMs);
}

bool VerrowProcess::Start(const std::wstring& exe, const std::wstring& directory, DWORD timeoutMs) {
    // The pointer out of the way of the windows, which open mid-screen: no hover effect or
    // tooltip gets into what the tests read and capture.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    auto create = [&] {
        return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                              &startup, &info_) != FALSE;
    };
    // Wine has been seen, once, to refuse a start with an internal error while the machine
    // was busy, and to start the same program a moment later: that is the host, not Verrow.
    bool created = create();
    if (!created && GetLastError() == ERROR_INTERNAL_ERROR) {
        Sleep(500);
        created = create();
    }
    if (!created) {
        error_ = "CreateProcess failed with " + std::to_string(GetLastError());
        info_ = PROCESS_INFORMATION{};
        return false;
    }
    return WaitForMain(timeoutMs);
}

bool VerrowProcess::WaitForMain(DWORD timeoutMs) {
    HWND box = nullptr;
    main_ = WaitFor(timeoutMs, [&]() -> HWND {
        for (HWND window : TopWindows(info_.dwProcessId, L"#32770")) {
            if (GetDlgItem(window, IDC_LIST) && WindowText(window) == "Verrow") return window;
            if (IsMessageBox(window)) box = window;
        }
        return box ? HWND_MESSAGE : nullptr;  // any non-null value ends the wait
    });
    if (main_ == HWND_MESSAGE) {
        main_ = nullptr;
        error_ = "a message box appeared first: " + MessageText(box);
        return false;
    }
    if (!main_) {
        error_ = Running() ? "no main window appeared" : "the program ended without a main window";
        return false;
    }
    return true;
}

RemoteListView VerrowProcess::List(HWND dialog, int id) const {
    return RemoteListView(info_.hProcess, GetDlgItem(dialog ? dialog : main_, id));
}

int VerrowProcess::BarLow() const { return static_cast<int>(SendTo(Control(IDC_FREE_SPACE), PBM_GETRANGE, TRUE)); }
int VerrowProcess::BarHigh() const { return static_cast<int>(SendTo(Control(IDC_FREE_SPACE), PBM_GETRANGE, FALSE)); }
int VerrowProcess::BarPos() const { return static_cast<int>(SendTo(Control(IDC_FREE_SPACE), PBM_GETPOS)); }

std::vector<std::pair<HWND, std::string>> VerrowProcess::ToolTips() const {
    std::vector<std::pair<HWND, std::string>> tips;
    // Tooltip windows are hidden until they show a tip: look through every top-level window.
    // The program makes its tips once its window has been painted.
    std::vector<HWND> windows;
    WaitFor(kWaitMs, [&] {
        windows.clear();
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
            if (ProcessOf(w) == info_.dwProcessId && GetWindow(w, GW_OWNER) == main_) windows.push_back(w);
        }
        return !windows.empty();
    });
    constexpr std::size_t kChars = 256;
    for (HWND tip : windows) {
        int count = static_cast<int>(SendTo(tip, TTM_GETTOOLCOUNT));
        for (int i = 0; i < count; ++i) {
            RemoteMemory memory(info_.hProcess, sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t));
            TTTOOLINFOW tool{};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.lpszText = static_cast<LPWSTR>(memory.Address(sizeof tool));
            std::wstring text(kChars, L'\0');
            if (!memory.Write(&tool, sizeof tool) || !memory.Write(text.data(), kChars * sizeof(wchar_t), sizeof tool) ||
                !SendTo(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), memory.Param()) ||
                !memory.Read(&tool, sizeof tool) || !memory.Read(text.data(), kChars * sizeof(wchar_t), sizeof tool)) {
                continue;
            }
            text.resize(wcsnlen(text.c_str(), kChars));
            HWND window = (tool.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.uId) : nullptr;
            tips.emplace_back(window, FromSystemText(text));
        }
    }
    return tips;
}

void VerrowProcess::ClickIn(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void VerrowProcess::SysCommand(UINT command) const { PostMessageW(main_, WM_SYSCOMMAND, command, 0); }

HWND VerrowProcess::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(info_.dwThreadId, &info);
    return info.hwndFocus;
}

void VerrowProcess::Key(UINT key) const {
    HWND target = Focus();
    if (!target) target = main_;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void VerrowProcess::Close(CloseWay way) const {
    switch (way) {
    case CloseWay::kWmClose:
        PostMessageW(main_, WM_CLOSE, 0, 0);
        break;
    case CloseWay::kCloseBox:
        PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case CloseWay::kEscape:
        Key(VK_ESCAPE);
        break;
    case CloseWay::kEnter:
        Key(VK_RETURN);
        break;
    }
}

DWORD VerrowProcess::WaitForExit(DWORD timeoutMs) const {
    if (!info_.hProcess) return STILL_ACTIVE;
    WaitForSingleObject(info_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool VerrowProcess::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> VerrowProcess::OtherDialogs() const {
    std::vector<HWND> dialogs = TopWindows(info_.dwProcessId, L"#32770");
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), main_), dialogs.end());
    return dialogs;
}

HWND VerrowProcess::WaitForMessageBox(DWORD timeoutMs) const {
    return WaitFor(timeoutMs, [&]() -> HWND {
        for (HWND window : OtherDialogs()) {
            if (IsMessageBox(window)) return window;
        }
        return nullptr;
    });
}

HWND VerrowProcess::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
    return WaitFor(timeoutMs, [&]() -> HWND {
        for (HWND window : OtherDialogs()) {
            if (WindowText(window) == caption) return window;
        }
        return nullptr;
    });
}

bool VerrowProcess::WaitForNoDialog(HWND dialog, DWORD timeoutMs) const {
    return WaitFor(timeoutMs, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

bool VerrowProcess::BringToFront() const {
    if (!IsWindow(main_)) return false;
    SetWindowPos(main_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    // The program paints in its own time: wait until it has handled what is queued.
    SendTo(main_, WM_NULL);
    Sleep(150);
    return true;
}

}  // namespace verrow::gui
