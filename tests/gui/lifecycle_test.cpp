// The real program's life: what it starts before its window shows, the about box, running
// an entry, and every way of closing with what it writes on the way out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"

namespace verrow::gui {
namespace {

constexpr char kAboutCaption[] = "Verrowのﾊﾞｰｼﾞｮﾝ情報";

// The probe's record: command line, current directory.
std::pair<std::string, std::string> ProbeRecord() {
    std::string bytes = ReadFileBytes("V:\\tools\\probe\\probe.out");
    std::size_t first = bytes.find('\0');
    if (first == std::string::npos) return {};
    std::size_t second = bytes.find('\0', first + 1);
    return {bytes.substr(0, first), bytes.substr(first + 1, second - first - 1)};
}

TEST(Lifecycle, StartUpEntriesStartBeforeExplorerOpensTheDrive) {
    VERROW_NEED_DRIVE_V();
    // No settings file: the drive opens at start.
    TestDrive::Prepare("", {{"a.vrc", EntryFile("プローブ", "\\tools\\probe\\probe.exe", 1, "probe.exe -x ソ")},
                            {"b.vrc", EntryFile("スタンプ", "\\tools\\stamp\\stamp.exe", 1)},
                            {"c.vrc", EntryFile("ふつう", "\\tools\\probe\\gone.exe", 1)}});
    // Started by a program that another copy of Verrow started, on another stick.
    ASSERT_TRUE(SetEnvironmentVariableW(L"_VERROW_DRV_", L"Q:"));
    VerrowProcess verrow;
    const bool started = verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder());
    SetEnvironmentVariableW(L"_VERROW_DRV_", nullptr);
    ASSERT_TRUE(started) << verrow.Error();
    // Both started; the probe with its command line, in its own folder (an empty
    // CurrentDir takes the program's folder), and without the other stick's drive.
    ASSERT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out"));
    EXPECT_EQ(ProbeRecord(), std::make_pair(std::string("probe.exe -x ソ"), std::string("V:\\tools\\probe")));
    EXPECT_EQ(ProbeEnvironment(ReadFileBytes("V:\\tools\\probe\\probe.out")).count("_VERROW_DRV_"), 0u);
    ASSERT_TRUE(WaitForFile("V:\\tools\\stamp\\stamp.out"));
    ULONGLONG stamped = std::strtoull(ReadFileBytes("V:\\tools\\stamp\\stamp.out").c_str(), nullptr, 10);

    // Explorer, asked once, after the start-up entries.
    std::vector<ProcessInfo> explorers = Explorers(verrow.Id());
    ASSERT_EQ(explorers.size(), 1u);
    EXPECT_GT(stamped, 0u);
    EXPECT_GT(explorers[0].created, stamped);
    // Nothing shown: a missing start-up program is not reported, and the others succeed.
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    EndChildren(verrow.Id(), "explorer.exe");
    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    // The first run's settings file holds the defaults.
    EXPECT_EQ(ReadFileBytes(TestDrive::Settings()), "[Verrow]\r\nStartOpen=1\r\nListStyle=0\r\n");
}

TEST(Lifecycle, StartOpenZeroOpensNothingAndTheDriveButtonStillDoes) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=0\r\n", {});
    // An explorer.exe that another machine left on the stick, next to Verrow.exe and in its
    // current folder: the system's Explorer must open all the same.
    struct Planted {  // gone again however the test ends: other tests list this folder
        ~Planted() {
            for (const wchar_t* name : {L"V:\\tools\\explorer.exe", L"V:\\tools\\explorer.out", L"V:\\tools\\explorer.utf16",
                                        L"V:\\tools\\explorer.out.part", L"V:\\tools\\explorer.utf16.part"}) {
                DeleteFileW(name);
            }
        }
    } planted;
    ASSERT_TRUE(CopyFileW(L"V:\\tools\\probe\\probe.exe", L"V:\\tools\\explorer.exe", FALSE));
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    Sleep(500);  // Explorer would have been asked before the window showed
    EXPECT_TRUE(Explorers(verrow.Id()).empty());

    verrow.Click(IDC_DRIVE);
    // The system's Explorer shows a window, on the drive's root (named after its label and
    // letter) rather than on Verrow's current folder; the planted one would only write its
    // record.
    DWORD start = GetTickCount();
    while (ShownFolder(verrow.Id()).empty() && GetTickCount() - start < kWaitMs) Sleep(50);
    const std::string shown = ShownFolder(verrow.Id());
    EXPECT_TRUE(shown.size() >= 4 && shown.compare(shown.size() - 4, 4, "(V:)") == 0) << shown;
    EXPECT_EQ(Explorers(verrow.Id()).size(), 1u);
    EXPECT_TRUE(verrow.OtherDialogs().empty());
    EXPECT_FALSE(FileExists("V:\\tools\\explorer.out"));

    EndChildren(verrow.Id(), "explorer.exe");
    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Lifecycle, SystemCommands16To31OpenTheAboutBoxAnd32DoesNot) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=0\r\n", {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    for (UINT command = 0x10; command <= 0x1F; ++command) {
        SCOPED_TRACE(command);
        verrow.SysCommand(command);
        HWND about = verrow.WaitForDialog(kAboutCaption);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), verrow.Main());
        EXPECT_FALSE(IsWindowEnabled(verrow.Main()));  // modal to the main window
        if (command == 0x10) {
            SetWindowPos(about, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            Sleep(150);
            EXPECT_TRUE(test::SaveScreenshot(CaptureFromScreen(about), "main_window_about_box"));
        }
        VerrowProcess::Answer(about, IDOK);
        ASSERT_TRUE(verrow.WaitForNoDialog(about));
    }
    verrow.SysCommand(0x20);
    Settle(verrow);  // an about box would be up and showing by now
    EXPECT_TRUE(verrow.OtherDialogs().empty());
    EXPECT_TRUE(IsWindowEnabled(verrow.Main()));

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Lifecycle, DoubleClickAndRunStartTheSelectedEntryAndAFailureIsTold) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n",
                       {{"a.vrc", EntryFile("プローブ", "\\tools\\probe\\probe.exe", 0, "probe.exe run", "\\data")},
                        {"b.vrc", EntryFile("ない", "\\tools\\probe\\gone.exe")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();
    int probe = list.Text(0, 0) == "プローブ" ? 0 : 1;

    // Nothing selected: RUN does nothing and says nothing.
    verrow.Click(IDC_RUN);
    Settle(verrow);
    ExpectProbeNotStarted(verrow, "V:\\tools\\probe\\probe.out");
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    list.DoubleClick(probe);
    ASSERT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out"));
    EXPECT_EQ(ProbeRecord(), std::make_pair(std::string("probe.exe run"), std::string("V:\\data")));
    EXPECT_EQ(list.Selected(), probe);

    ASSERT_TRUE(RemoveRecord("V:\\tools\\probe\\probe.out"));
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out"));

    // A path that does not exist: the RUN message, in the program's style.
    ASSERT_TRUE(list.Select(1 - probe));
    verrow.Click(IDC_RUN);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VerrowProcess::MessageText(box), "アプリケーションの起動に失敗しました");
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_EQ(GetWindow(box, GW_OWNER), verrow.Main());
    VerrowProcess::Answer(box, IDOK);
    EXPECT_TRUE(verrow.WaitForNoDialog(box));

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Lifecycle, StoredPathsStartOnTheLaunchDriveWhateverTheWorkingFolder) {
    VERROW_NEED_DRIVE_V();
    // Started from a prompt on C:, where a program lies at the same path as on the stick.
    struct Decoy {
        Decoy() {
            CreateDirectoryW(L"C:\\tools", nullptr);
            CreateDirectoryW(L"C:\\tools\\probe", nullptr);
            DeleteFileW(L"C:\\tools\\probe\\probe.out");
        }
        ~Decoy() {
            DeleteFileW(L"C:\\tools\\probe\\probe.out");
            DeleteFileW(L"C:\\tools\\probe\\probe.exe");
            RemoveDirectoryW(L"C:\\tools\\probe");
            RemoveDirectoryW(L"C:\\tools");
        }
    } decoy;
    ASSERT_TRUE(CopyFileW(L"V:\\tools\\probe\\probe.exe", L"C:\\tools\\probe\\probe.exe", FALSE));
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n",
                       {{"a.vrc", EntryFile("プローブ", "\\tools\\probe\\probe.exe", 1, "probe.exe up")},
                        {"b.vrc", EntryFile("データ", "\\data")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), "C:\\")) << verrow.Error();
    // The start-up entry, and RUN: the stick's program, in its folder on the stick.
    EXPECT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out"));
    EXPECT_EQ(ProbeRecord(), std::make_pair(std::string("probe.exe up"), std::string("V:\\tools\\probe")));
    RemoteListView list = verrow.List();
    int probe = list.Text(0, 0) == "プローブ" ? 0 : 1;
    ASSERT_TRUE(RemoveRecord("V:\\tools\\probe\\probe.out"));
    list.DoubleClick(probe);
    EXPECT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out"));
    EXPECT_EQ(ProbeRecord(), std::make_pair(std::string("probe.exe up"), std::string("V:\\tools\\probe")));
    EXPECT_FALSE(FileExists("C:\\tools\\probe\\probe.out"));
    // A folder opens on the stick.
    list.DoubleClick(1 - probe);
    DWORD start = GetTickCount();
    while (ShownFolder(verrow.Id()).empty() && GetTickCount() - start < kWaitMs) Sleep(50);
    EXPECT_EQ(ShownFolder(verrow.Id()), "data");
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    EndChildren(verrow.Id(), "explorer.exe");
    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Lifecycle, EveryWayOfClosingRewritesTheSettingsAndLeavesUnchangedEntriesAlone) {
    VERROW_NEED_DRIVE_V();
    const std::vector<std::pair<std::string, std::string>> entries = {
        // Written by hand: other key order, extra keys, no CR. Not rewritten: not changed.
        {"a.vrc", "[MoxEnvExec]\nStartUp=0\nAppPath=\\data\nAppName=手書き\nExtra=1\n"},
        {"b.vrc", EntryFile("ソフト", "\\tools\\probe\\probe.exe")}};
    for (CloseWay way : {CloseWay::kWmClose, CloseWay::kCloseBox, CloseWay::kEscape, CloseWay::kEnter}) {
        SCOPED_TRACE(static_cast<int>(way));
        TestDrive::Prepare("[Other]\r\nKey=1\r\n[Verrow]\r\nStartOpen=5\r\nListStyle=7\r\nMore=2\r\n", entries);
        VerrowProcess verrow;
        ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
        EndChildren(verrow.Id(), "explorer.exe");
        // Enter and Escape go to the focused control: the list, as after the start.
        EXPECT_EQ(verrow.Focus(), verrow.Control(IDC_LIST));
        verrow.Close(way);
        EXPECT_EQ(verrow.WaitForExit(), 0u);
        EXPECT_EQ(ReadFileBytes(TestDrive::Settings()), "[Verrow]\r\nStartOpen=1\r\nListStyle=7\r\n");
        EXPECT_EQ(FolderNames(TestDrive::ConfigFolder()), (std::vector<std::string>{"a.vrc", "b.vrc"}));
        for (const auto& [name, bytes] : entries) {
            EXPECT_EQ(ReadFileBytes(TestDrive::ConfigFolder() + "\\" + name), bytes) << name;
        }
        // No temporary files left next to the program either.
        std::vector<std::string> tools = FolderNames(TestDrive::ToolsFolder());
        EXPECT_EQ(tools, (std::vector<std::string>{"VERROW_CNF", "Verrow.exe", "probe", "stamp", "verrow.ini"}));
    }
}

// Windows ends the session with the window open: the run is saved as closing saves it,
// before the end-of-session message returns (the system may end the process then), and
// the program ends without a word, even when something could not be saved.
TEST(Lifecycle, TheEndOfTheSessionSavesAsClosingDoesAndSaysNothing) {
    VERROW_NEED_DRIVE_V();
    auto endSession = [](const VerrowProcess& verrow) {
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(verrow.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                        kWaitMs, &answer));
        EXPECT_NE(answer, 0u);  // agreed
        EXPECT_TRUE(SendMessageTimeoutW(verrow.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                        kWaitMs, &answer));
    };
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=7\r\nMore=2\r\n", {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "V:\\data"), "");
    endSession(verrow);
    EXPECT_EQ(ReadFileBytes(TestDrive::Settings()), "[Verrow]\r\nStartOpen=0\r\nListStyle=7\r\n");
    std::vector<std::string> names = FolderNames(TestDrive::ConfigFolder());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(EntryKeys(ReadFileBytes(TestDrive::ConfigFolder() + "\\" + names[0]))["AppName"], "足した");
    EXPECT_EQ(verrow.WaitForExit(), 0u);

    // V:\locked\verrow.ini is immutable: a close after a choice would say so, the end of a
    // session does not.
    const std::string before = ReadFileBytes("V:\\locked\\verrow.ini");
    VerrowProcess locked;
    ASSERT_TRUE(locked.Start("V:\\locked\\Verrow.exe", "V:\\locked")) << locked.Error();
    ASSERT_TRUE(ChooseListStyle(locked, 0));
    endSession(locked);
    EXPECT_EQ(locked.WaitForExit(), 0u);
    EXPECT_EQ(ReadFileBytes("V:\\locked\\verrow.ini"), before);
}

TEST(Lifecycle, EnterOnAFocusedCommandButtonPressesItInsteadOfClosing) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=0\r\n", {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    HWND drive = verrow.Control(IDC_DRIVE);
    PostMessageW(verrow.Main(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(drive), TRUE);
    DWORD start = GetTickCount();
    while (verrow.Focus() != drive && GetTickCount() - start < kWaitMs) Sleep(20);
    ASSERT_EQ(verrow.Focus(), drive);
    verrow.Key(VK_RETURN);
    while (Explorers(verrow.Id()).empty() && GetTickCount() - start < kWaitMs) Sleep(20);
    EXPECT_EQ(Explorers(verrow.Id()).size(), 1u);
    EXPECT_TRUE(verrow.Running());
    EndChildren(verrow.Id(), "explorer.exe");
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Lifecycle, SettingsThatCannotBeWrittenAreToldOnceWhenChosenAndLeftIntact) {
    VERROW_NEED_DRIVE_V();
    // V:\locked\verrow.ini is immutable (the fixture set chattr +i).
    const std::string before = ReadFileBytes("V:\\locked\\verrow.ini");
    const std::vector<std::string> names = FolderNames("V:\\locked");
    {  // nothing chosen, nothing lost: a write-protected stick is not told of at every close
        VerrowProcess unchanged;
        ASSERT_TRUE(unchanged.Start("V:\\locked\\Verrow.exe", "V:\\locked")) << unchanged.Error();
        unchanged.Close(CloseWay::kEscape);
        EXPECT_EQ(unchanged.WaitForExit(), 0u);
    }
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start("V:\\locked\\Verrow.exe", "V:\\locked")) << verrow.Error();
    EXPECT_EQ(verrow.List().Count(), 1);
    ASSERT_TRUE(ChooseListStyle(verrow, 0));  // icons: the fixture's file has details
    verrow.Close(CloseWay::kEscape);

    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(verrow.Main()));  // told after the window has gone
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_EQ(VerrowProcess::MessageText(box),
              "設定 (verrow.ini) を保存できませんでした。\n\n"
              "ドライブが書き込み禁止になっていないか、取り外されていないか、空き容量が足りているか、"
              "ファイルが読み取り専用や使用中になっていないかを確認してください。");
    HWND cancel = GetDlgItem(box, IDCANCEL);
    EXPECT_TRUE(!cancel || !IsWindowVisible(cancel));
    VerrowProcess::Answer(box, IDOK);
    EXPECT_EQ(verrow.WaitForExit(), 0u);

    EXPECT_EQ(ReadFileBytes("V:\\locked\\verrow.ini"), before);
    EXPECT_EQ(FolderNames("V:\\locked"), names);  // no temporary file left behind
}

}  // namespace
}  // namespace verrow::gui
