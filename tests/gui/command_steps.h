// Steps shared by the GUI tests of the main window's commands: working the entry editor
// and the settings dialog of the real program, answering its message boxes, and reading
// the entry files it leaves.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32_text.h"
#include "resources/resource.h"
#include "tests/gui/gui_driver.h"

namespace verrow::gui {

inline constexpr char kEditorCaption[] = "新規追加/編集ダイアログ";
inline constexpr char kSettingsCaption[] = "設定";
inline constexpr char kWrongDriveText[] = "Verrowを起動したドライブ上のアプリケーションを登録してください。";
inline constexpr char kRunFailedText[] = "アプリケーションの起動に失敗しました";
inline constexpr char kConfirmDeleteText[] = "選択されたアイテムを削除してもよろしいですか？";

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = kWaitMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Returns once the program's thread has taken every message posted to it before (clicks
// included), or sits in a modal loop that takes them. A sent message would not do: the
// thread handles sent messages ahead of posted ones. So a marker goes through the posted
// queue instead: the limit of the read-only path field IDC_SELECTED_PATH, which nothing
// else uses.
// A program that does not answer, or never gets to the marker, fails the test: the checks
// that something did not happen, which follow, would mean nothing.
inline void Settle(const VerrowProcess& verrow) {
    static WPARAM marker = 0;
    HWND field = verrow.Control(IDC_SELECTED_PATH);
    WPARAM limit = 20000 + (++marker % 1000);
    PostMessageW(field, EM_SETLIMITTEXT, limit, 0);
    bool answered = true;
    bool taken = WaitUntil([&] {
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(field, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, kWaitMs, &result) != 0;
        return !answered || result == limit;
    });
    if (!answered || !taken) ADD_FAILURE() << "the program did not take the messages posted to it";
}

// After Settle: a start is made while its click is taken, and the probe writes its file
// before it ends, so a probe started by mistake still runs or has left its file.
inline void ExpectProbeNotStarted(const VerrowProcess& verrow, const std::string& output) {
    for (const ProcessInfo& child : ChildProcesses(verrow.Id())) EXPECT_NE(child.exe, "probe.exe");
    EXPECT_FALSE(FileExists(output));
}

inline std::string TextOf(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
inline void Type(HWND dialog, int id, const std::string& text) { SetWindowText932(GetDlgItem(dialog, id), text); }
inline int Checked(HWND dialog, int id) {
    return static_cast<int>(SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}
inline void SetChecked(HWND dialog, int id, bool on) {
    SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The rows of a list box of the program (W messages: the A ones come back as UTF-16).
inline std::vector<std::string> ListBoxRows(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    std::vector<std::string> rows;
    int count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(box, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        auto length = SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
        rows.push_back(FromSystemText(text));
    }
    return rows;
}

// Selects exactly the rows with these names, as clicks would, and tells the editor.
inline void SelectRows(HWND dialog, int id, const std::vector<std::string>& names) {
    HWND box = GetDlgItem(dialog, id);
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    std::vector<std::string> rows = ListBoxRows(dialog, id);
    for (const std::string& name : names) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] != name) continue;
            SendMessageW(box, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
            SendMessageW(box, LB_SETCARETINDEX, i, FALSE);
        }
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

// Waits for the program's message box, answers it and returns its text ("" when none came).
inline std::string AnswerMessage(const VerrowProcess& verrow, int button = IDOK, DWORD timeoutMs = kWaitMs) {
    HWND box = verrow.WaitForMessageBox(timeoutMs);
    if (!box) return std::string();
    std::string text = VerrowProcess::MessageText(box);
    VerrowProcess::Answer(box, button);
    verrow.WaitForNoDialog(box);
    return text;
}

// The editor's OK (or another ending button), waiting until the command has finished.
inline bool EndEditor(const VerrowProcess& verrow, HWND editor, int button = IDOK) {
    VerrowProcess::ClickIn(editor, button);
    bool gone = verrow.WaitForNoDialog(editor);
    Settle(verrow);
    return gone;
}

// ADD with a name and a path, the start-up box as given, everything else as the editor
// offers it. Returns the text of the message that followed ("" when none).
inline std::string AddThroughEditor(const VerrowProcess& verrow, const std::string& name, const std::string& path,
                                    bool startUp = false) {
    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    if (!editor) return "no editor";
    Type(editor, IDC_NAME, name);
    Type(editor, IDC_PATH, path);
    SetChecked(editor, IDC_START_UP, startUp);
    VerrowProcess::ClickIn(editor, IDOK);
    if (!verrow.WaitForNoDialog(editor)) return "the editor stayed open";
    return AnswerMessage(verrow, IDOK, 500);
}

// CONF: chooses the list style (0 icons, 1 small icons, 2 details) and OK.
inline bool ChooseListStyle(const VerrowProcess& verrow, int style) {
    verrow.Click(IDC_CONF);
    HWND settings = verrow.WaitForDialog(kSettingsCaption);
    if (!settings) return false;
    SendMessageW(GetDlgItem(settings, IDC_LIST_STYLE), CB_SETCURSEL, static_cast<WPARAM>(style), 0);
    VerrowProcess::ClickIn(settings, IDOK);
    bool gone = verrow.WaitForNoDialog(settings);
    Settle(verrow);
    return gone;
}

// A window of the program on top and painted, saved as <name>.png.
inline bool Shoot(HWND window, const char* name) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    Sleep(250);
    return test::SaveScreenshot(CaptureFromScreen(window), name);
}

// --- Entry files

// The keys of one section of a profile file, as written (no trimming, first '=' splits).
inline std::map<std::string, std::string> SectionKeys(const std::string& bytes, const std::string& section) {
    std::map<std::string, std::string> keys;
    bool inside = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at = end + 1;
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
        } else if (inside) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

inline std::map<std::string, std::string> EntryKeys(const std::string& bytes) {
    return SectionKeys(bytes, "MoxEnvExec");
}

// The variables of an entry file: numbered pairs from 0 without gaps; `pairs` gets how
// many key lines the section holds in all, so a gap shows as a difference.
inline std::map<std::string, std::string> EntryVariables(const std::string& bytes, std::size_t* pairs = nullptr) {
    std::map<std::string, std::string> keys = SectionKeys(bytes, "MoxEnvExec_Env");
    std::map<std::string, std::string> variables;
    for (int n = 0;; ++n) {
        char key[32];
        std::snprintf(key, sizeof key, "ENV%04d_Key", n);
        auto name = keys.find(key);
        if (name == keys.end() || name->second.empty()) break;
        std::snprintf(key, sizeof key, "ENV%04d_Val", n);
        variables[name->second] = keys[key];
    }
    if (pairs) *pairs = keys.size() / 2;
    return variables;
}

// The environment block the probe recorded (after its command line and folder).
inline std::map<std::string, std::string> ProbeEnvironment(const std::string& record) {
    std::map<std::string, std::string> variables;
    std::size_t at = record.find('\0');
    if (at != std::string::npos) at = record.find('\0', at + 1);
    if (at == std::string::npos) return variables;
    for (++at; at < record.size();) {
        std::size_t end = record.find('\0', at);
        if (end == std::string::npos || end == at) break;
        std::string line = record.substr(at, end - at);
        std::size_t equals = line.find('=', 1);  // names like =C: start with '='
        if (equals != std::string::npos) variables[line.substr(0, equals)] = line.substr(equals + 1);
        at = end + 1;
    }
    return variables;
}

// The probe's command line and current folder.
inline std::pair<std::string, std::string> ProbeStart(const std::string& record) {
    std::size_t first = record.find('\0');
    if (first == std::string::npos) return {};
    std::size_t second = record.find('\0', first + 1);
    if (second == std::string::npos) return {};
    return {record.substr(0, first), record.substr(first + 1, second - first - 1)};
}

// A variable of the probe's UTF-16 record (its .utf16 file), as the system handed it over;
// empty when the record has none.
inline std::wstring ProbeWideVariable(const std::string& bytes, const std::wstring& name) {
    std::wstring record(bytes.size() / sizeof(wchar_t), L'\0');
    if (!record.empty()) std::memcpy(&record[0], bytes.data(), record.size() * sizeof(wchar_t));
    std::size_t at = record.find(L'\0');  // after the command line and the folder
    if (at != std::wstring::npos) at = record.find(L'\0', at + 1);
    if (at == std::wstring::npos) return std::wstring();
    const std::wstring prefix = name + L"=";
    for (++at; at < record.size();) {
        std::size_t end = record.find(L'\0', at);
        if (end == std::wstring::npos || end == at) break;
        if (record.compare(at, prefix.size(), prefix) == 0) return record.substr(at + prefix.size(), end - at - prefix.size());
        at = end + 1;
    }
    return std::wstring();
}

// The test programs move their records in place whole.
inline bool WaitForFile(const std::string& path, DWORD timeoutMs = kWaitMs) {
    return WaitUntil([&] { return FileExists(path); }, timeoutMs);
}

// Deletes a record before the next start writes it. The name stays until the writer's move
// has let go of the file, and WaitForFile would find the old record meanwhile.
inline bool RemoveRecord(const std::string& path) {
    DeleteFileW(Wide(path).c_str());
    return WaitUntil([&] { return !FileExists(path); });
}

}  // namespace verrow::gui
