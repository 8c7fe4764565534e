// Driving the real Verrow.exe from a test program in another process (under wine or on
// Windows): start it, find its windows, read and work its controls, answer its message
// boxes, close it, and look at the files it leaves.
//
// Cross-process rules this library follows (see also the platform notes):
//  - Messages whose arguments are plain numbers (item counts, styles, BM_CLICK-free
//    commands) are sent or posted directly; WM_GETTEXT/WM_SETTEXT are marshalled by the
//    system, so they are sent as W messages and converted to code page 932 here.
//  - Messages that carry pointers to structures (list view items, columns, rectangles,
//    tool infos) are not marshalled: the structure and any text buffer are placed in the
//    target process with RemoteMemory and the message is sent with that address.
//  - Under wine, icon handles do not cross: WM_GETICON and WM_QUERYDRAGICON sent from
//    another process answer 0, and class data (GetClassLongPtr) reads 0. Check icons in
//    a screenshot or in-process instead.
//  - Anything that may open a modal box in the program (a command button, a system
//    command, a key) is posted, never sent, so the test does not block on the box.
//
// Typical use:
//
//   gui::TestDrive drive;                      // V:\, mapped by the CTest fixture
//   drive.Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n",
//                 {{"a.vrc", gui::EntryFile("メモ", "\\tools\\probe\\probe.exe")}});
//   gui::VerrowProcess verrow;
//   ASSERT_TRUE(verrow.Start(drive.Exe(), drive.ToolsFolder())) << verrow.Error();
//   gui::RemoteListView list = verrow.List();
//   EXPECT_EQ(list.Count(), 1);
//   EXPECT_EQ(list.Text(0, 1), "V:\\tools\\probe\\probe.exe");
//   list.Select(0);
//   EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "V:\\tools\\probe\\probe.exe");
//   verrow.Click(IDC_RUN);                        // RUN
//   verrow.Close(gui::CloseWay::kEscape);
//   EXPECT_EQ(verrow.WaitForExit(), 0u);
//
// Commands with dialogs: Click(id) posts the button's BN_CLICKED; WaitForDialog(caption)
// finds the dialog the command opens; that dialog's controls are reached with
// GetDlgItem(dialog, id) and the same helpers (WindowText, SetWindowText, Click on the
// dialog with ClickIn, RemoteListView for its lists); Answer() ends message boxes.
// Every wait has a timeout and returns null or false when it passes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "tests/support/win32_files.h"
#include "tests/ui/ui_support.h"  // Pixels, SaveScreenshot

namespace verrow::gui {

constexpr DWORD kWaitMs = 10000;

// --- Text and files (code page 932, as the program sees them)

std::wstring Wide(const std::string& text);  // code page 932 -> UTF-16

using test::ReadFileBytes;  // empty when missing
using test::WriteFileBytes;
bool FileExists(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderNames(const std::string& folder);
// Creates the folder if needed and removes the files below it.
void EmptyFolder(const std::string& folder);
// A Unix path (from the scripts that start the tests) as a path of this process: the
// Unix root is drive Z:. Empty for none, or for one that is not absolute.
std::string FromUnix(const char* path);

// An entry file as the program writes them (CR LF lines, keys in the program's order).
std::string EntryFile(const std::string& name, const std::string& path, int startUp = 0,
                      const std::string& cmdOpt = std::string(), const std::string& currentDir = std::string());

// The test drive V: that the CTest fixture maps: the program at V:\tools\Verrow.exe,
// the probe at V:\tools\probe\probe.exe, the stamp at V:\tools\stamp\stamp.exe.
class TestDrive {
public:
    static bool Available();  // false when the fixture did not run (tests then skip)
    static std::string Root() { return "V:\\"; }
    static std::string ToolsFolder() { return "V:\\tools"; }
    static std::string Exe() { return "V:\\tools\\Verrow.exe"; }
    static std::string Settings() { return "V:\\tools\\verrow.ini"; }
    static std::string ConfigFolder() { return "V:\\tools\\VERROW_CNF"; }
    // A fresh configuration: the settings file (none when `settings` is empty) and the
    // given entry files (name, bytes) in an emptied VERROW_CNF; the probe's and the
    // stamp's output files removed.
    static void Prepare(const std::string& settings,
                        const std::vector<std::pair<std::string, std::string>>& entries);
    // The bytes of a settings file with these two values.
    static std::string SettingsText(int startOpen, int listStyle) {
        return "[Verrow]\r\nStartOpen=" + std::to_string(startOpen) + "\r\nListStyle=" + std::to_string(listStyle) +
               "\r\n";
    }
};

#define VERROW_NEED_DRIVE_V() \
    if (!::verrow::gui::TestDrive::Available()) GTEST_SKIP() << "needs the drive V: of the CTest fixture"

// --- Windows of any process

std::string WindowText(HWND window);  // WM_GETTEXT, code page 932
bool SetWindowText932(HWND window, const std::string& text);
std::string ClassName(HWND window);
DWORD ProcessOf(HWND window);
// Visible top-level windows of process `pid` of class `className` (null: any class).
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className);
// A message box: a #32770 with the static 65535.
bool IsMessageBox(HWND window);
// A picture of the window as it is on the screen once it stays the same for a moment
// (bring it to the front first).
test::Pixels CaptureFromScreen(HWND window);

// --- Memory in another process

class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Valid() const { return address_ != nullptr; }
    // The address in the other process; only to be handed to it.
    void* Address(std::size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    LPARAM Param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }
    bool Write(const void* data, std::size_t size, std::size_t offset = 0) const;
    bool Read(void* data, std::size_t size, std::size_t offset = 0) const;

private:
    HANDLE process_;
    void* address_ = nullptr;
};

// --- A list view of another process

class RemoteListView {
public:
    RemoteListView(HANDLE process, HWND list) : process_(process), list_(list) {}
    HWND Handle() const { return list_; }

    int Count() const;
    std::string Text(int item, int subItem) const;
    int Image(int item) const;
    LPARAM Data(int item) const;
    UINT State(int item, UINT mask = LVIS_SELECTED | LVIS_FOCUSED) const;
    int Selected() const;  // the first selected item, or -1
    // Selects and focuses `item` (LVM_SETITEMSTATE), as a click would.
    bool Select(int item) const;
    // The view type bits (LVS_TYPEMASK) of the window style, and the whole style.
    DWORD ViewType() const { return Style() & LVS_TYPEMASK; }
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(list_, GWL_STYLE)); }
    DWORD ExtendedStyle() const;
    int ColumnCount() const;
    std::string ColumnHeader(int column) const;
    int ColumnWidth(int column) const;
    // The width the list gives `text` in its own font (LVM_GETSTRINGWIDTH).
    int StringWidth(const std::string& text) const;
    HIMAGELIST ImageList(int which) const;  // LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE
    RECT ItemRect(int item, int part = LVIR_BOUNDS) const;
    // The room the details view gives an item's name, after its pictures.
    int LabelWidth(int item) const {
        RECT label = ItemRect(item, LVIR_LABEL);
        return static_cast<int>(label.right - label.left);
    }
    // Posts a left double-click (down, up, double-click, up) at the middle of the item.
    void DoubleClick(int item) const;

private:
    HANDLE process_;
    HWND list_;
};

// --- Processes

struct ProcessInfo {
    DWORD id = 0;
    DWORD parent = 0;
    std::string exe;          // file name, lower case
    ULONGLONG created = 0;    // FILETIME of its creation, 0 when it has ended
};
std::vector<ProcessInfo> ChildProcesses(DWORD parent);
// Ends the child processes of `parent` named `exe` (lower case), e.g. "explorer.exe".
void EndChildren(DWORD parent, const std::string& exe);
// The Explorer processes that `parent` started, and the folder that a window of one of
// them shows in its address box ("" while there is none).
std::vector<ProcessInfo> Explorers(DWORD parent);
std::string ShownFolder(DWORD parent);

// --- The program

enum class CloseWay { kWmClose, kCloseBox, kEscape, kEnter };

class VerrowProcess {
public:
    VerrowProcess() = default;
    // Ends the program (and the Explorer windows it opened) if it still runs.
    ~VerrowProcess();
    VerrowProcess(const VerrowProcess&) = delete;
    VerrowProcess& operator=(const VerrowProcess&) = delete;

    // Starts `exe` with the current directory `directory` (as a double-click on the stick
    // does) and waits until its main window ("Verrow", #32770 with the list IDC_LIST) is
    // visible, that is, until its initialisation has ended. False on failure, with Error()
    // telling why. A message box shown during the initialisation (a configuration folder
    // that cannot be made, a failed start-up launch) also ends the wait with false: answer
    // it (WaitForMessageBox, Answer) and call WaitForMain.
    bool Start(const std::string& exe, const std::string& directory, DWORD timeoutMs = kWaitMs);
    // The same from a folder that code page 932 cannot name.
    bool Start(const std::wstring& exe, const std::wstring& directory, DWORD timeoutMs = kWaitMs);
    bool WaitForMain(DWORD timeoutMs = kWaitMs);
    const std::string& Error() const { return error_; }

    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }
    HWND Main() const { return main_; }
    HWND Control(int id) const { return GetDlgItem(main_, id); }
    std::string ControlText(int id) const { return WindowText(Control(id)); }
    RemoteListView List(HWND dialog = nullptr, int id = IDC_LIST) const;

    // The free-space bar IDC_FREE_SPACE: range, position and label (its window text).
    int BarLow() const;
    int BarHigh() const;
    int BarPos() const;

    // The tooltip texts of the main window, by tool window.
    std::vector<std::pair<HWND, std::string>> ToolTips() const;

    // Posts BN_CLICKED of button `id` to the main window, or to `dialog`.
    void Click(int id) const { ClickIn(main_, id); }
    static void ClickIn(HWND dialog, int id);
    void SysCommand(UINT command) const;
    // Posts a key press to the window that has the focus in the program.
    void Key(UINT key) const;
    HWND Focus() const;

    void Close(CloseWay way) const;
    // The exit code, or STILL_ACTIVE when the program did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs) const;
    bool Running() const;

    // Visible dialogs of the program other than the main window; a message box; a dialog
    // by caption. Null after the timeout.
    std::vector<HWND> OtherDialogs() const;
    HWND WaitForMessageBox(DWORD timeoutMs = kWaitMs) const;
    HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = kWaitMs) const;
    bool WaitForNoDialog(HWND dialog, DWORD timeoutMs = kWaitMs) const;
    static std::string MessageText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
    static void Answer(HWND box, int button = IDOK) { ClickIn(box, button); }
    // The box offers that answer (the system may keep the others hidden).
    static bool HasButton(HWND box, int button) {
        HWND control = GetDlgItem(box, button);
        return control && IsWindowVisible(control);
    }

    // The main window on top, painted; false when it is not there.
    bool BringToFront() const;

private:
    PROCESS_INFORMATION info_{};
    HWND main_ = nullptr;
    std::string error_;
};

}  // namespace verrow::gui
