// The dialog base under wine: data exchange in both directions, template initialisation
// data, the modal loop with its keys and owner handling, message routing, the
// PreTranslateMessage hook, and Help through the application object.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/app.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message.h"
#include "platform/win32/win32_os.h"
#include "platform/win32_text.h"
#include "resources/resource.h"
#include "tests/ui/probe_dialog.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

int CheckState(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0)); }
void SetText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextW(dialog, id, ToSystemText(text).c_str());
}

TEST(DataExchange, TextAndCheckBoxesBothWaysWithTheByteLimit) {
    Win32Os os;
    ScopedOs useOs(os);
    ProbeDialog dialog(IDD_ENTRY_EDIT);
    std::string name = "名前テスト", path = "E:\\表示\\ソフト.exe";
    int startUp = 2, custom = 5, overwrite = 1;
    dialog.exchange = [&](ui::DataExchange& dx) {
        dx.Text(IDC_NAME, name, 1024);
        dx.Text(IDC_PATH, path, 255);
        dx.Check(IDC_START_UP, startUp);
        dx.Check(IDC_USE_CUSTOM_ENV, custom);
        dx.Check(IDC_OVERWRITE_ENV, overwrite);
    };
    HWND h = nullptr;
    std::string boxText, boxCaption;
    bool taken = true;
    std::string doubleBytePath;
    for (int i = 0; i < 128; ++i) doubleBytePath += "表";  // 256 bytes in 128 characters

    Driver driver({
        [&] {  // shown by the framework's initialisation
            h = dialog.Handle();
            EXPECT_EQ(TextOf(GetDlgItem(h, IDC_NAME)), name);
            EXPECT_EQ(TextOf(GetDlgItem(h, IDC_PATH)), "E:\\表示\\ソフト.exe");
            EXPECT_EQ(SendDlgItemMessageW(h, IDC_NAME, EM_GETLIMITTEXT, 0, 0), 1024);
            EXPECT_EQ(SendDlgItemMessageW(h, IDC_PATH, EM_GETLIMITTEXT, 0, 0), 255);
            EXPECT_EQ(startUp, 2);  // handed to the box unchanged
            EXPECT_EQ(custom, 0);   // out of range: reset and shown unchecked
            EXPECT_EQ(CheckState(h, IDC_USE_CUSTOM_ENV), BST_UNCHECKED);
            EXPECT_EQ(CheckState(h, IDC_OVERWRITE_ENV), BST_CHECKED);
            return true;
        },
        [&] {  // taking
            SetText(h, IDC_NAME, "新しい名前");
            SetText(h, IDC_PATH, "C:\\十\\a.exe");
            CheckDlgButton(h, IDC_START_UP, BST_UNCHECKED);
            CheckDlgButton(h, IDC_USE_CUSTOM_ENV, BST_CHECKED);
            CheckDlgButton(h, IDC_OVERWRITE_ENV, BST_UNCHECKED);
            EXPECT_TRUE(dialog.UpdateData(true));
            EXPECT_EQ(name, "新しい名前");
            EXPECT_EQ(path, "C:\\十\\a.exe");
            EXPECT_EQ(startUp, 0);
            EXPECT_EQ(custom, 1);
            EXPECT_EQ(overwrite, 0);
            return true;
        },
        [&] {  // a path too long by bytes, though short enough in characters
            SetText(h, IDC_PATH, doubleBytePath);
            CheckDlgButton(h, IDC_START_UP, BST_CHECKED);
            SetFocus(GetDlgItem(h, IDC_NAME));
            taken = dialog.UpdateData(true);  // blocks in the message box until answered
            return true;
        },
        AnswerMessageBox(boxText, boxCaption),
        [&] {
            if (FindMessageBox()) return false;
            EXPECT_FALSE(taken);
            EXPECT_EQ(boxText, "255 文字以内で入力してください。");
            EXPECT_EQ(boxCaption, "verrow_ui_tests");
            EXPECT_EQ(path, doubleBytePath);    // the failing field holds what was typed
            EXPECT_EQ(startUp, 1);              // the fields after it are still taken
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_PATH));
            return true;
        },
        [&] {
            dialog.EndDialog(IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

std::wstring Repeat(const std::wstring& unit, int times) {
    std::wstring out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}
std::string Repeat(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}
std::pair<DWORD, DWORD> Selection(HWND box) {
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}
using Sel = std::pair<DWORD, DWORD>;

TEST(DataExchange, LimitedBoxesRefuseWhatWouldTakeThemOverTheirBytes) {
    ProbeDialog dialog(IDD_ENTRY_EDIT);
    std::string name = "表表表表表表";  // 12 bytes, handed in over its limit of 10
    std::string path;
    dialog.exchange = [&](ui::DataExchange& dx) {
        dx.Text(IDC_NAME, name, 10);
        dx.Text(IDC_PATH, path, 255);
    };
    Driver driver({[&] {
        HWND h = dialog.Handle();
        HWND pathBox = GetDlgItem(h, IDC_PATH), nameBox = GetDlgItem(h, IDC_NAME);
        std::string full = Repeat("表", 127) + "a";

        // Typing stops at the limit in bytes, wherever the caret is; the caret stays put.
        TypeChars(pathBox, Repeat(L"表", 127) + L"a");
        EXPECT_EQ(TextOf(pathBox), full);
        SendMessageW(pathBox, EM_SETSEL, 3, 3);
        TypeChars(pathBox, L"表");
        TypeChars(pathBox, L"字", WM_IME_CHAR);
        TypeChars(pathBox, L"b");
        EXPECT_EQ(TextOf(pathBox), full);
        EXPECT_EQ(Selection(pathBox), Sel(3, 3));
        SendMessageW(pathBox, EM_SETSEL, 3, 4);  // one double-byte character for another fits
        TypeChars(pathBox, L"字");
        full = Repeat("表", 3) + "字" + Repeat("表", 123) + "a";
        EXPECT_EQ(TextOf(pathBox), full);
        EXPECT_EQ(Selection(pathBox), Sel(4, 4));

        // A paste goes in as far as it fits, and into a one-line box only its first line.
        SendMessageW(pathBox, EM_SETSEL, 0, 3);  // 6 bytes of room
        EXPECT_TRUE(PutOnClipboard(L"あいうえ\r\n次の行"));
        SendMessageW(pathBox, WM_PASTE, 0, 0);
        full = "あいう字" + Repeat("表", 123) + "a";
        EXPECT_EQ(TextOf(pathBox), full);
        EXPECT_EQ(Selection(pathBox), Sel(3, 3));
        EXPECT_TRUE(PutOnClipboard(L"ab"));
        TypeChars(pathBox, L"\x16");  // Ctrl+V into the full box: nothing
        EXPECT_EQ(TextOf(pathBox), full);
        SendMessageW(pathBox, EM_SETSEL, 0, 2);
        TypeChars(pathBox, L"\x16");  // fits whole
        EXPECT_EQ(TextOf(pathBox), "abう字" + Repeat("表", 123) + "a");
        SendMessageW(pathBox, WM_UNDO, 0, 0);  // undo within the limit is the box's own
        EXPECT_EQ(TextOf(pathBox), full);
        SendMessageW(pathBox, EM_SETSEL, 0, 1);
        EXPECT_TRUE(PutOnClipboard(L"z\r\nw"));
        SendMessageW(pathBox, WM_PASTE, 0, 0);
        EXPECT_EQ(TextOf(pathBox), "zいう字" + Repeat("表", 123) + "a");

        // A longer text handed in is shown whole: it may be shortened, never lengthened,
        // not even by undoing the shortening.
        EXPECT_EQ(TextOf(nameBox), "表表表表表表");
        SendMessageW(nameBox, EM_SETSEL, 6, 6);
        TypeChars(nameBox, L"a");
        EXPECT_EQ(TextOf(nameBox), "表表表表表表");
        TypeChars(nameBox, L"\b");
        EXPECT_EQ(TextOf(nameBox), "表表表表表");
        SendMessageW(nameBox, WM_UNDO, 0, 0);
        EXPECT_EQ(TextOf(nameBox), "表表表表表");
        EXPECT_EQ(Selection(nameBox), Sel(5, 5));

        // An IME composition is judged whole when it ends: what it put in is taken back
        // when it does not fit, with the caret where the composition began.
        TypeChars(nameBox, L"\b\b");
        SendMessageW(nameBox, WM_IME_STARTCOMPOSITION, 0, 0);
        TypeChars(nameBox, L"日本語");
        EXPECT_EQ(TextOf(nameBox), "表表表日本語");  // not cut while composing
        SendMessageW(nameBox, WM_IME_ENDCOMPOSITION, 0, 0);
        EXPECT_EQ(TextOf(nameBox), "表表表");
        EXPECT_EQ(Selection(nameBox), Sel(3, 3));
        SendMessageW(nameBox, WM_IME_STARTCOMPOSITION, 0, 0);
        TypeChars(nameBox, L"日本");
        SendMessageW(nameBox, WM_IME_ENDCOMPOSITION, 0, 0);
        EXPECT_EQ(TextOf(nameBox), "表表表日本");

        EXPECT_TRUE(dialog.UpdateData(true));
        EXPECT_EQ(name, "表表表日本");
        EXPECT_EQ(path, "zいう字" + Repeat("表", 123) + "a");
        dialog.EndDialog(IDCANCEL);
        return true;
    }});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DataExchange, ComboIndexOverTheItemsFromTheInitialisationData) {
    ProbeDialog dialog(IDD_SETTINGS);
    int listStyle = 7;
    dialog.exchange = [&](ui::DataExchange& dx) { dx.ComboIndex(IDC_LIST_STYLE, listStyle); };
    Driver driver({[&] {
        HWND combo = GetDlgItem(dialog.Handle(), IDC_LIST_STYLE);
        std::vector<std::string> items;
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[64] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(FromSystemText(text));
        }
        EXPECT_EQ(items, (std::vector<std::string>{"アイコン", "一覧", "詳細"}));
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // 7 selects nothing
        EXPECT_TRUE(dialog.UpdateData(true));
        EXPECT_EQ(listStyle, -1);
        listStyle = 2;
        dialog.UpdateData(false);
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
        SendMessageW(combo, CB_SETCURSEL, 1, 0);
        EXPECT_TRUE(dialog.UpdateData(true));
        EXPECT_EQ(listStyle, 1);
        dialog.EndDialog(IDOK);
        return true;
    }});
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(InitData, ParsesRecordsAndRejectsDamagedData) {
    const unsigned char good[] = {0xF6, 0x03, 0x43, 0x01, 'a', 'b', 0, 0x10, 0x00, 0x80, 0x01, 0x95, 0x5C, 0, 0, 0};
    std::vector<ui::InitRecord> records;
    ASSERT_TRUE(ui::ParseInitData(good, sizeof good, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].control, IDC_LIST_STYLE);
    EXPECT_EQ(records[0].message, 0x143u);
    EXPECT_EQ(records[0].text, "ab");
    EXPECT_EQ(records[1].control, 16);
    EXPECT_EQ(records[1].message, 0x180u);
    EXPECT_EQ(records[1].text, "\x95\x5C");

    const unsigned char empty[] = {0, 0};
    EXPECT_TRUE(ui::ParseInitData(empty, sizeof empty, records));
    EXPECT_TRUE(records.empty());

    const unsigned char noEnd[] = {0xF6, 0x03, 0x43, 0x01, 'a', 0};
    const unsigned char unterminated[] = {0xF6, 0x03, 0x43, 0x01, 'a', 'b'};
    const unsigned char cutMessage[] = {0xF6, 0x03, 0x43};
    for (auto [data, size] : {std::pair<const unsigned char*, std::size_t>{noEnd, sizeof noEnd},
                              {unterminated, sizeof unterminated}, {cutMessage, sizeof cutMessage},
                              {good, 0}}) {
        records.push_back({1, 2, "stale"});
        EXPECT_FALSE(ui::ParseInitData(data, size, records));
        EXPECT_TRUE(records.empty());
    }
}

// A plain top-level window to own the dialogs under test.
struct OwnerWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    ~OwnerWindow() { DestroyWindow(hwnd); }
};

TEST(ModalLoop, OpensCentredOverTheOwnerWhichIsDisabledMeanwhileAndEnterPressesTheFocusedButtonElseOk) {
    OwnerWindow owner;
    SetWindowPos(owner.hwnd, nullptr, 300, 200, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ProbeDialog dialog(IDD_ENTRY_EDIT, owner.hwnd);
    HWND h = nullptr;
    Driver driver({
        [&] {
            h = dialog.Handle();
            EXPECT_EQ(GetWindow(h, GW_OWNER), owner.hwnd);
            EXPECT_FALSE(IsWindowEnabled(owner.hwnd));
            RECT mine{};
            GetWindowRect(h, &mine);
            EXPECT_NEAR(mine.left + mine.right, 2 * 500, 2);
            EXPECT_NEAR(mine.top + mine.bottom, 2 * 350, 2);
            SetFocus(GetDlgItem(h, IDC_ENV_APPLY));
            PostKey(FocusWindow(), VK_RETURN);
            return true;
        },
        [&] {
            auto& seen = dialog.commands;
            if (std::find(seen.begin(), seen.end(), std::make_pair(IDC_ENV_APPLY, int(BN_CLICKED))) == seen.end()) {
                return false;
            }
            EXPECT_EQ(dialog.oks, 0);
            SetFocus(GetDlgItem(h, IDC_NAME));
            PostKey(FocusWindow(), VK_RETURN);
            return true;
        },
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.oks, 1);
    EXPECT_EQ(dialog.destroys, 1);
    EXPECT_TRUE(dialog.windowExistedAtDestroy);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

LRESULT CALLBACK CountColourChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
    if (message == WM_SYSCOLORCHANGE) ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(Routing, NotifyTimerSystemCommandDragIconPaintAndOtherMessagesReachTheirHandlers) {
    ProbeDialog dialog(IDD_SETTINGS);
    dialog.notifyResult = 5;
    dialog.consumeSysCommand = true;
    dialog.handlePaint = true;
    dialog.dragIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
    dialog.onMessage = [&](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message == WM_APP + 1) result = static_cast<LRESULT>(wParam) * 2;
        if (message == WM_CTLCOLORDLG) result = reinterpret_cast<LRESULT>(brush);
        return message == WM_APP + 1 || message == WM_CTLCOLORDLG;
    };
    Driver driver({
        [&] {
            HWND h = dialog.Handle();
            NMHDR header{GetDlgItem(h, IDC_LIST_STYLE), IDC_LIST_STYLE, static_cast<UINT>(LVN_ITEMCHANGED)};
            EXPECT_EQ(SendMessageW(h, WM_NOTIFY, IDC_LIST_STYLE, reinterpret_cast<LPARAM>(&header)), 5);
            EXPECT_EQ(dialog.notifications.back(), std::make_pair(IDC_LIST_STYLE, static_cast<UINT>(LVN_ITEMCHANGED)));
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(h, WM_QUERYDRAGICON, 0, 0)), dialog.dragIcon);
            SendMessageW(h, WM_SYSCOMMAND, 0x0010, 0);
            EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{0x10});
            InvalidateRect(h, nullptr, TRUE);
            UpdateWindow(h);
            EXPECT_GE(dialog.paints, 1);
            // The general hook: a result through DWLP_MSGRESULT, and a brush as the
            // procedure's own return value.
            EXPECT_EQ(SendMessageW(h, WM_APP + 1, 21, 0), 42);
            EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(h, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(h))), brush);
            // Only top-level windows hear of new system colours: the controls from them.
            int colourChanges = 0;
            HWND combo = GetDlgItem(h, IDC_LIST_STYLE);
            SetWindowSubclass(combo, CountColourChanges, 1, reinterpret_cast<DWORD_PTR>(&colourChanges));
            SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
            RemoveWindowSubclass(combo, CountColourChanges, 1);
            EXPECT_EQ(colourChanges, 1);
            SetTimer(h, 7, 10, nullptr);
            return true;
        },
        [&] {
            if (dialog.timers.empty()) return false;
            KillTimer(dialog.Handle(), 7);
            EXPECT_EQ(dialog.timers.front(), 7u);
            // Not consumed: the system's handling closes the dialog through IDCANCEL.
            dialog.consumeSysCommand = false;
            PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        },
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.sysCommands.back(), static_cast<UINT>(SC_CLOSE));
}

TEST(PreTranslate, SeesMessagesBeforeTheDialogManagerAndRelaysToATooltip) {
    ProbeDialog dialog(IDD_SETTINGS);
    ui::ToolTipWindow tip;
    int escapesSeen = 0;
    dialog.preTranslate = [&](MSG& message) {
        if (message.message >= WM_MOUSEMOVE && message.message <= WM_LBUTTONUP) tip.RelayEvent(message);
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            ++escapesSeen;
            return true;  // consumed: the dialog manager never sees it
        }
        return false;
    };
    HWND ok = nullptr;
    Driver driver({
        [&] {
            ok = GetDlgItem(dialog.Handle(), IDOK);
            EXPECT_TRUE(tip.Create(dialog.Handle()));
            EXPECT_TRUE(tip.AddTool(ok, "設定を保存します。"));
            EXPECT_EQ(tip.ToolCount(), 1);
            EXPECT_EQ(tip.ToolText(ok), "設定を保存します。");
            tip.Send(TTM_SETDELAYTIME, TTDT_INITIAL, 1);
            PostKey(ok, VK_ESCAPE);
            RECT r{};
            GetWindowRect(ok, &r);
            SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            PostMessageW(ok, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            return true;
        },
        [&] { return IsWindowVisible(tip.Handle()) != FALSE; },
        [&] {
            EXPECT_EQ(escapesSeen, 1);
            EXPECT_EQ(dialog.cancels, 0);
            dialog.EndDialog(IDOK);
            return true;
        },
    }, 5000);
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(Application, NamesHelpPathAndRunWithoutALoop) {
    TestApp app;
    EXPECT_EQ(ui::Application::Current(), &app);
    EXPECT_EQ(app.Run(GetModuleHandleW(nullptr), "E:\\表\\App.beta.exe"), 0);
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.AppName(), "App.beta");
    EXPECT_EQ(app.HelpPath(), "E:\\表\\App.beta.HLP");
    EXPECT_EQ(ui::HelpPathFromPath("E:\\v1.0\\Verrow"), "E:\\v1.0\\Verrow.HLP");
    EXPECT_EQ(ui::AppNameFromPath("\\\\server\\share\\Verrow.exe"), "Verrow");
    EXPECT_TRUE(ui::RestrictDllSearchPath());  // wine offers SetDefaultDllDirectories
}

bool InMenuMode() {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(GetCurrentThreadId(), &gui) && (gui.flags & GUI_INMENUMODE);
}

TEST(Application, F1AsksTheApplicationForHelpAndTheMainWindowOwnsDialogsWithoutParent) {
    Win32Os os;
    ScopedOs useOs(os);
    TestApp app;
    app.Run(GetModuleHandleW(nullptr), "Z:\\Verrow.exe");
    ProbeDialog dialog(IDD_SETTINGS);
    BYTE keys[256] = {};
    Driver driver({
        [&] {
            app.SetMainWindow(&dialog);
            PostKey(FocusWindow(), VK_F1);
            return true;
        },
        [&] {
            if (app.helps.empty()) return false;
            EXPECT_EQ(app.helps.front(), dialog.Handle());
            EXPECT_EQ(dialog.commands.back(), std::make_pair(static_cast<int>(ui::kIdHelp), 0));
            GetKeyboardState(keys);
            BYTE shifted[256];
            std::copy(std::begin(keys), std::end(keys), shifted);
            shifted[VK_SHIFT] = 0x80;
            SetKeyboardState(shifted);
            PostKey(FocusWindow(), VK_F1);
            return true;
        },
        [&] {  // a message box runs a loop of the system's own, and F1 there asks too
            SetKeyboardState(keys);
            ui::ShowMessage("F1");  // the steps below run meanwhile
            return true;
        },
        [&] {
            if (!FindMessageBox()) return false;
            PostKey(FocusWindow(), VK_F1);
            return true;
        },
        [&] {
            if (app.helps.size() < 2) return false;
            EXPECT_EQ(app.helps.back(), dialog.Handle());
            PostMessageW(FindMessageBox(), WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {  // and so does F1 in the system menu, whose loop the system runs too
            if (FindMessageBox()) return false;
            EXPECT_EQ(app.helps.size(), 2u);  // not for Shift+F1, once for F1 in the box
            PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
            return true;
        },
        [&] {
            if (!InMenuMode()) return false;
            PostKey(FocusWindow(), VK_F1);
            return true;
        },
        [&] {
            if (app.helps.size() < 3) return false;
            EXPECT_EQ(app.helps.back(), dialog.Handle());
            EndMenu();
            return true;
        },
        [&] {
            if (InMenuMode()) return false;
            EXPECT_EQ(app.MainWindow(), &dialog);
            // With another program in front this thread has no active window: a dialog
            // without a parent still belongs to the main window and disables it.
            SetActiveWindow(nullptr);
            EXPECT_EQ(GetActiveWindow(), nullptr);
            ProbeDialog inner(IDD_ABOUT);
            HWND innerOwner = nullptr;
            bool mainEnabled = true;
            inner.onInit = [&] {
                innerOwner = GetWindow(inner.Handle(), GW_OWNER);
                mainEnabled = IsWindowEnabled(dialog.Handle()) != FALSE;
                inner.EndDialog(IDOK);
            };
            EXPECT_EQ(inner.DoModal(), IDOK);
            EXPECT_EQ(innerOwner, dialog.Handle());
            EXPECT_FALSE(mainEnabled);
            dialog.EndDialog(IDOK);
            return true;
        },
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(app.MainWindow(), nullptr);  // cleared with the window
}

}  // namespace
}  // namespace verrow::test
