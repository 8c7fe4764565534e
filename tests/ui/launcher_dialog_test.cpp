// The main window in-process, over the fake services: what it asks the system for while
// it starts, runs and ends, and what only its own process can see (icons, system menu).
#include <windows.h>

#include <gtest/gtest.h>

#include "app/launcher_dialog.h"
#include "base/cp932.h"
#include "platform/os.h"
#include "platform/win32_text.h"
#include "resources/resource.h"
#include "resources/texts.h"
#include "tests/support/fake_os.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

HWND FindMain() {
    for (HWND window : ThreadDialogs()) {
        auto* dialog = ui::Dialog::FromHandle(window);
        if (dialog && dialog->TemplateId() == IDD_MAIN) return window;
    }
    return nullptr;
}

class LauncherDialogTest : public ::testing::Test {
protected:
    LauncherDialogTest() : scope_(os) {
        os.moduleFileName = "E:\\tools\\Verrow.exe";
        os.AddDirectory("E:\\tools");
        os.AddDirectory("E:\\tools\\VERROW_CNF");
        os.diskTotal = 950ull << 20;
        os.diskFree = 700ull << 20;
    }
    FakeOs os;

private:
    ScopedOs scope_;
};

TEST_F(LauncherDialogTest, StartsTheStartUpEntriesThenOpensTheDriveAndSavesOnClosing) {
    os.AddFile("E:\\tools\\VERROW_CNF\\a.vrc",
               "[MoxEnvExec]\r\nAppName=a\r\nAppPath=\\a.exe\r\nCmdOpt=a.exe -s\r\nStartUp=1\r\n");
    os.AddFile("E:\\a.exe", "program");
    os.AddFile("E:\\tools\\verrow.ini", "[Verrow]\r\nStartOpen=1\r\nListStyle=9\r\n");
    HWND main = nullptr;
    LauncherDialog dialog;
    Driver driver({[&] {
        main = FindMain();
        if (!main) return false;
        // By the time the window shows: the entry started, then Explorer on "/e,E:\".
        EXPECT_EQ(os.log, (std::vector<std::string>{"start E:\\a.exe", "shell explorer /e,E:\\"}));
        EXPECT_EQ(os.shellRequests.at(0).owner, static_cast<WindowHandle>(main));
        EXPECT_EQ(os.shellRequests.at(0).file, "explorer");
        EXPECT_EQ(os.started.at(0).start.commandLine, "a.exe -s");

        HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VERROW));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_SMALL, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(main, WM_QUERYDRAGICON, 0, 0)), icon);

        // The about box is offered at the end of the system menu.
        HMENU menu = GetSystemMenu(main, FALSE);
        int last = GetMenuItemCount(menu) - 1;
        EXPECT_EQ(GetMenuItemID(menu, last), 0x10u);
        wchar_t text[64] = {};
        GetMenuStringW(menu, last, text, 64, MF_BYPOSITION);
        EXPECT_EQ(FromSystemText(text), "Verrow のﾊﾞｰｼﾞｮﾝ情報(&A)...");

        HWND bar = GetDlgItem(main, IDC_FREE_SPACE);
        EXPECT_EQ(TextOf(bar), "       700Mbyte/       950Mbyte");
        EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 950);
        EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 700);

        os.diskFree = 600ull << 20;  // the next tick shows it
        return true;
    },
    [&] {
        HWND bar = GetDlgItem(main, IDC_FREE_SPACE);
        if (SendMessageW(bar, PBM_GETPOS, 0, 0) != 600) return false;
        EXPECT_EQ(TextOf(bar), "       600Mbyte/       950Mbyte");
        PostMessageW(main, WM_CLOSE, 0, 0);
        return true;
    }}, 5000);
    dialog.DoModal();
    dialog.ReportUnsaved();
    EXPECT_EQ(os.FileBytes("E:\\tools\\verrow.ini"), "[Verrow]\r\nStartOpen=1\r\nListStyle=9\r\n");
    EXPECT_TRUE(os.messages.empty());
    // The volume was noted once shown; a close with nothing to write does not ask again.
    EXPECT_EQ(os.volumeQueries.size(), 1u);
}

TEST_F(LauncherDialogTest, SettingsNotChosenInThisRunNeitherReplaceTheFileNorTellOfAFailedWrite) {
    const std::string ini = "E:\\tools\\verrow.ini", mine = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";
    const std::string byHand = "[Verrow]\nStartOpen=0\nListStyle=2\n";  // other bytes: a write is tried
    // The file held by another copy as this one starts (unread), the stick write-protected
    // (unwritable), or both; CONF not used (-1) or confirmed with a view.
    struct Case {
        bool unread, unwritable;
        int style;
        std::string file;
        bool told;
    } cases[] = {
        {true, false, -1, mine, false},
        {true, false, 1, "[Verrow]\r\nStartOpen=1\r\nListStyle=1\r\n", false},
        {false, true, -1, byHand, false},  // nothing chosen, nothing lost
        {false, true, 1, byHand, true},
        // The defaults chosen while the file's own values were unknown: a choice all the same.
        {true, true, 0, mine, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.unread ? "unread" : "read") + (c.unwritable ? ", unwritable" : "") +
                     ", CONF " + std::to_string(c.style));
        os.messages.clear();
        os.AddFile(ini, c.unread ? mine : byHand);
        if (c.unread) os.unreadable.insert(FakeOs::Fold(ini));
        if (c.unwritable) os.failWrite = [](const std::string&) { return true; };
        LauncherDialog dialog;
        HWND main = nullptr;
        Driver driver({[&] {
            main = FindMain();
            if (!main) return false;
            os.unreadable.clear();
            if (c.style >= 0) PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_CONF, BN_CLICKED), 0);
            return true;
        },
        [&] {
            if (c.style >= 0) {
                std::vector<HWND> dialogs = ThreadDialogs();
                if (dialogs.empty() || dialogs.front() == main) return false;
                HWND settings = dialogs.front();
                SendDlgItemMessageW(settings, IDC_LIST_STYLE, CB_SETCURSEL, static_cast<WPARAM>(c.style), 0);
                PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            PostMessageW(main, WM_CLOSE, 0, 0);
            return true;
        }}, 5000);
        dialog.DoModal();
        dialog.ReportUnsaved();
        os.failWrite = nullptr;
        EXPECT_EQ(os.FileBytes(ini), c.file);
        ASSERT_EQ(os.messages.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_EQ(os.messages[0].text.rfind(text::kUnsavedSettings, 0), 0u);
        }
    }
}

TEST_F(LauncherDialogTest, ASessionEndedUnderAStartUpEntrysMessageStartsAndOpensNothingMore) {
    for (const char* name : {"a", "b"}) {
        os.AddFile(std::string("E:\\tools\\VERROW_CNF\\") + name + ".vrc",
                   std::string("[MoxEnvExec]\r\nAppName=") + name + "\r\nAppPath=\\" + name + ".exe\r\nStartUp=1\r\n");
        os.AddFile(std::string("E:\\") + name + ".exe", "program");
    }
    os.AddFile("E:\\tools\\verrow.ini", "[Verrow]\r\nStartOpen=1\r\nListStyle=0\r\n");
    os.startError = 5;
    LauncherDialog dialog;
    bool ended = false;
    os.duringMessage = [&] {
        if (ended) return;
        ended = true;
        SendMessageW(dialog.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);  // not shown yet
    };
    dialog.DoModal();
    // The first entry's failure was being told when the session ended: the second entry
    // does not start, and Explorer does not open.
    ASSERT_EQ(os.started.size(), 1u);
    EXPECT_EQ(os.started[0].start.applicationName, "E:\\a.exe");
    EXPECT_TRUE(os.shellRequests.empty());
    EXPECT_EQ(os.messages.size(), 1u);
}

TEST_F(LauncherDialogTest, ASessionEndedUnderRunsStartErrorSaysNothingMore) {
    os.AddFile("E:\\tools\\VERROW_CNF\\a.vrc", "[MoxEnvExec]\r\nAppName=a\r\nAppPath=\\a.exe\r\n");
    os.AddFile("E:\\a.exe", "program");
    os.AddFile("E:\\tools\\verrow.ini", "[Verrow]\r\nStartOpen=0\r\nListStyle=0\r\n");
    os.startError = 5;
    LauncherDialog dialog;
    os.duringMessage = [&] {
        os.duringMessage = nullptr;
        SendMessageW(dialog.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    };
    Driver driver({[&] {
        HWND main = FindMain();
        if (!main) return false;
        LVITEMW selected{};
        selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(GetDlgItem(main, IDC_LIST), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_RUN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_RUN)));
        return true;
    }}, 5000);
    dialog.DoModal();
    // The start's error code was being told; the failure that would follow it is not.
    ASSERT_EQ(os.messages.size(), 1u);
    EXPECT_NE(os.messages[0].text.find("CODE=5"), std::string::npos) << os.messages[0].text;
}

TEST_F(LauncherDialogTest, AnotherStickThatTookTheLetterKeepsItsFiles) {
    const std::string entryFile = "E:\\tools\\VERROW_CNF\\a.vrc";
    os.AddFile(entryFile, "[MoxEnvExec]\r\nAppName=a\r\nAppPath=\\a.exe\r\n");
    os.AddFile("E:\\tools\\verrow.ini", "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n");
    // What the stick that gets E: has, once this one has been pulled and put back under
    // another letter.
    const std::string otherEntry = "[MoxEnvExec]\r\nAppName=b\r\nAppPath=\\b.exe\r\n";
    const std::string otherSettings = "[Verrow]\r\nStartOpen=1\r\nListStyle=0\r\n";
    LauncherDialog dialog;
    Driver driver({[&] {
        HWND main = FindMain();
        if (!main || os.volumeQueries.empty()) return false;  // the volume is noted once shown
        EXPECT_EQ(os.volumeQueries, std::vector<std::string>{"E:\\"});
        os.volumeSerial += 1;
        os.AddFile(entryFile, otherEntry);
        os.AddFile("E:\\tools\\verrow.ini", otherSettings);

        HWND list = GetDlgItem(main, IDC_LIST);
        LVITEMW selected{};
        selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_DEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_DEL)));
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);  // still registered
        PostMessageW(main, WM_CLOSE, 0, 0);
        return true;
    }}, 5000);
    dialog.DoModal();
    dialog.ReportUnsaved();
    EXPECT_EQ(os.FileBytes(entryFile), otherEntry);
    EXPECT_EQ(os.FileBytes("E:\\tools\\verrow.ini"), otherSettings);
    // Settings unchanged in this run lose nothing by not being written, and are not told of.
    ASSERT_EQ(os.messages.size(), 2u);
    EXPECT_EQ(os.messages[0].text, text::kConfirmDelete);
    EXPECT_EQ(os.messages[1].text, cp932::Substitute(text::kDeleteFailed, {entryFile, ""}));
}

TEST_F(LauncherDialogTest, AFolderThatCodePage932CannotNameIsSaidOnceAndNeitherReadNorWritten) {
    // The system names the folder Zoë; code page 932 has only a stand-in for it.
    os.moduleFileName = "E:\\Zo?\\Verrow.exe";
    os.moduleFolderExact = false;
    os.AddDirectory("E:\\Zo?");
    os.AddDirectory("E:\\Zo?\\VERROW_CNF");
    const std::string entry = "[MoxEnvExec]\r\nAppName=a\r\nAppPath=\\a.exe\r\nStartUp=1\r\n";
    const std::string settings = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";
    os.AddFile("E:\\Zo?\\VERROW_CNF\\a.vrc", entry);
    os.AddFile("E:\\Zo?\\verrow.ini", settings);
    os.AddFile("E:\\a.exe", "program");
    HWND main = nullptr;
    LauncherDialog dialog;
    Driver driver({[&] {
        main = FindMain();
        if (!main) return false;
        // Said once; nothing read: no entry listed or started, the settings' defaults
        // (Explorer on the drive, icons); the drive itself still serves.
        EXPECT_EQ(os.log, (std::vector<std::string>{"message " + std::string(text::kProgramFolderNotInCodePage),
                                                    "shell explorer /e,E:\\"}));
        EXPECT_EQ(os.messages.at(0).type, mb::kOk | mb::kIconExclamation);
        HWND list = GetDlgItem(main, IDC_LIST);
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
        EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
        PostMessageW(main, WM_CLOSE, 0, 0);
        return true;
    }}, 5000);
    dialog.DoModal();
    dialog.ReportUnsaved();
    // Nothing written, and nothing more said.
    EXPECT_EQ(os.FileBytes("E:\\Zo?\\verrow.ini"), settings);
    EXPECT_EQ(os.FilesIn("E:\\Zo?\\VERROW_CNF"), std::vector<std::string>{"E:\\Zo?\\VERROW_CNF\\a.vrc"});
    EXPECT_EQ(os.messages.size(), 1u);
}

}  // namespace
}  // namespace verrow::test
