// The main window's commands ADD, EDIT, DEL, RUN and CONF in the real program: what the
// list shows at once, what the entry files hold after the run, and the messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"

namespace verrow::gui {
namespace {

constexpr char kProbe[] = "V:\\tools\\probe\\probe.exe";
constexpr char kProbeOut[] = "V:\\tools\\probe\\probe.out";

int ItemNamed(const RemoteListView& list, const std::string& name) {
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Text(i, 0) == name) return i;
    }
    return -1;
}

// VER + one to four hexadecimal digits + .vrc, as new entries are named.
bool IsNewEntryName(const std::string& name) {
    if (name.size() < 8 || name.size() > 11 || name.compare(0, 3, "VER") != 0) return false;
    if (name.compare(name.size() - 4, 4, ".vrc") != 0) return false;
    return std::all_of(name.begin() + 3, name.end() - 4, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

TEST(Commands, AddRegistersAnEntryOnTheLaunchDriveInEitherLetterCase) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();

    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetWindow(editor, GW_OWNER), verrow.Main());
    // A new entry: nothing filled in, only the overwrite box ticked, the variables seeded.
    EXPECT_EQ(TextOf(editor, IDC_NAME), "");
    EXPECT_EQ(TextOf(editor, IDC_PATH), "");
    EXPECT_EQ(Checked(editor, IDC_START_UP), 0);
    EXPECT_EQ(Checked(editor, IDC_USE_CUSTOM_ENV), 0);
    EXPECT_EQ(Checked(editor, IDC_OVERWRITE_ENV), 1);
    std::vector<std::string> seeded = ListBoxRows(editor, IDC_ENV_LIST);
    EXPECT_GT(seeded.size(), 3u);
    EXPECT_NE(std::find(seeded.begin(), seeded.end(), "_VERROW_DRV_"), seeded.end());
    EXPECT_TRUE(Shoot(editor, "editor_new_entry"));

    // A lower-case drive letter, the customised environment and a variable of its own
    // that names the drive through _VERROW_DRV_, two elements on two lines.
    const std::string entered = "v:\\tools\\probe\\probe.exe";
    Type(editor, IDC_NAME, "プローブ表");
    Type(editor, IDC_PATH, entered);
    SetChecked(editor, IDC_USE_CUSTOM_ENV, true);
    Type(editor, IDC_ENV_NAME, "VERROW_TEST");
    Type(editor, IDC_ENV_VALUE, "%_VERROW_DRV_%\\data\r\n%_VERROW_DRV_%\\tools");
    VerrowProcess::ClickIn(editor, IDC_ENV_ADD);
    Settle(verrow);
    std::vector<std::string> variables = ListBoxRows(editor, IDC_ENV_LIST);
    EXPECT_EQ(variables.size(), seeded.size() + 1);
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    // The row at once: the name, the path as entered, the standing figure, fitted columns.
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0, 0), "プローブ表");
    EXPECT_EQ(list.Text(0, 1), entered);
    EXPECT_EQ(list.Image(0), 0);
    EXPECT_NE(list.Data(0), 0);
    // Fitted to the contents (an empty list had the name column as wide as its header): the
    // name where the row puts it, after the pictures, shows whole.
    EXPECT_GE(list.LabelWidth(0), list.StringWidth("プローブ表"));
    EXPECT_GE(list.ColumnWidth(1), list.StringWidth(entered));
    ASSERT_TRUE(list.Select(0));
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), entered);
    ASSERT_TRUE(verrow.BringToFront());
    EXPECT_TRUE(test::SaveScreenshot(CaptureFromScreen(verrow.Main()), "main_window_after_add"));

    // It starts at once, with its variables composed on the launch drive.
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile(kProbeOut));
    std::map<std::string, std::string> environment = ProbeEnvironment(ReadFileBytes(kProbeOut));
    EXPECT_EQ(environment["VERROW_TEST"], "V:\\data;V:\\tools");
    EXPECT_EQ(environment["_VERROW_DRV_"], "V:");

    // Upper case, marked for start-up: the running figure. Typed from the current folder
    // of V: (the program's, V:\tools), it is stored from the root, as the check found it.
    EXPECT_EQ(AddThroughEditor(verrow, "スタンプ", "V:stamp\\stamp.exe", true), "");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Text(1, 1), "V:\\tools\\stamp\\stamp.exe");
    EXPECT_EQ(list.Image(1), 1);
    EXPECT_NE(list.Data(1), list.Data(0));
    // Typed as it is stored, without a drive: on the launch drive, as a start reads it.
    EXPECT_EQ(AddThroughEditor(verrow, "データ", "\\data"), "");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(2, 1), "V:\\data");

    verrow.Close(CloseWay::kEscape);
    ASSERT_EQ(verrow.WaitForExit(), 0u);

    // Three new files, the paths stored without the drive, the editor's variables written.
    std::vector<std::string> names = FolderNames(TestDrive::ConfigFolder());
    ASSERT_EQ(names.size(), 3u);
    std::map<std::string, std::string> byName;
    for (const std::string& name : names) {
        EXPECT_TRUE(IsNewEntryName(name)) << name;
        std::string bytes = ReadFileBytes(TestDrive::ConfigFolder() + "\\" + name);
        byName[EntryKeys(bytes)["AppName"]] = bytes;
    }
    ASSERT_EQ(byName.count("プローブ表"), 1u);
    ASSERT_EQ(byName.count("スタンプ"), 1u);
    EXPECT_EQ(EntryKeys(byName["プローブ表"]),
              (std::map<std::string, std::string>{{"AppName", "プローブ表"},
                                                  {"AppPath", "\\tools\\probe\\probe.exe"},
                                                  {"CmdOpt", ""},
                                                  // the start above takes the program's
                                                  // folder but keeps none
                                                  {"CurrentDir", ""},
                                                  {"UseCustomEnv", "1"},
                                                  {"OverWriteEnv", "1"},
                                                  {"StartUp", "0"}}));
    std::size_t pairs = 0;
    std::map<std::string, std::string> stored = EntryVariables(byName["プローブ表"], &pairs);
    EXPECT_EQ(pairs, stored.size());
    std::set<std::string> storedNames, shownNames(variables.begin(), variables.end());
    for (const auto& variable : stored) storedNames.insert(variable.first);
    EXPECT_EQ(storedNames, shownNames);
    EXPECT_EQ(stored["VERROW_TEST"], "%_VERROW_DRV_%\\data;%_VERROW_DRV_%\\tools");
    EXPECT_EQ(stored["_VERROW_DRV_"], "V:");
    std::map<std::string, std::string> stamp = EntryKeys(byName["スタンプ"]);
    EXPECT_EQ(stamp["AppPath"], "\\tools\\stamp\\stamp.exe");
    EXPECT_EQ(stamp["StartUp"], "1");
    EXPECT_EQ(stamp["UseCustomEnv"], "0");
    EXPECT_EQ(stamp["OverWriteEnv"], "1");
    EXPECT_EQ(EntryKeys(byName["データ"])["AppPath"], "\\data");

    // The next start shows the drive in front of the stored path and starts the stamp.
    VerrowProcess again;
    ASSERT_TRUE(again.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << again.Error();
    RemoteListView relisted = again.List();
    int probe = ItemNamed(relisted, "プローブ表");
    ASSERT_GE(probe, 0);
    EXPECT_EQ(relisted.Text(probe, 1), kProbe);
    EXPECT_TRUE(WaitForFile("V:\\tools\\stamp\\stamp.out"));
    again.Close(CloseWay::kEscape);
    EXPECT_EQ(again.WaitForExit(), 0u);
}

TEST(Commands, APathElsewhereACancelOrNoSelectionChangesNothing) {
    VERROW_NEED_DRIVE_V();
    const std::string file = EntryFile("プローブ", "\\tools\\probe\\probe.exe");
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {{"a.vrc", file}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();

    // Nothing selected: EDIT and DEL open nothing and ask nothing.
    verrow.Click(IDC_EDIT);
    verrow.Click(IDC_DEL);
    Settle(verrow);
    Sleep(300);
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    // A file that exists on another drive (this test program, on Z:): the editor takes
    // it, the command refuses it after OK, and what was entered is gone.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string elsewhere = FromSystemText(self);
    ASSERT_NE(elsewhere.substr(0, 2), "V:");
    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_NAME, "よそ");
    Type(editor, IDC_PATH, elsewhere);
    VerrowProcess::ClickIn(editor, IDOK);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(VerrowProcess::MessageText(box), kWrongDriveText);
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_FALSE(VerrowProcess::HasButton(box, IDCANCEL));  // nothing to choose: it tells
    EXPECT_EQ(GetWindow(box, GW_OWNER), verrow.Main());
    VerrowProcess::Answer(box, IDOK);
    ASSERT_TRUE(verrow.WaitForNoDialog(box));
    Settle(verrow);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    // Cancel, and the close box, after a valid entry was typed.
    for (bool closeBox : {false, true}) {
        verrow.Click(IDC_ADD);
        editor = verrow.WaitForDialog(kEditorCaption);
        ASSERT_NE(editor, nullptr);
        Type(editor, IDC_NAME, "やめる");
        Type(editor, IDC_PATH, "V:\\data");
        if (closeBox) {
            PostMessageW(editor, WM_SYSCOMMAND, SC_CLOSE, 0);
            ASSERT_TRUE(verrow.WaitForNoDialog(editor));
            Settle(verrow);
        } else {
            ASSERT_TRUE(EndEditor(verrow, editor, IDCANCEL));
        }
        EXPECT_EQ(list.Count(), 1);
        EXPECT_TRUE(verrow.OtherDialogs().empty());
    }

    // EDIT to another drive, and EDIT cancelled: the row and the entry stay.
    ASSERT_TRUE(list.Select(0));
    for (bool cancel : {false, true}) {
        verrow.Click(IDC_EDIT);
        editor = verrow.WaitForDialog(kEditorCaption);
        ASSERT_NE(editor, nullptr);
        Type(editor, IDC_NAME, "変えた");
        SetChecked(editor, IDC_START_UP, true);
        if (cancel) {
            ASSERT_TRUE(EndEditor(verrow, editor, IDCANCEL));
        } else {
            Type(editor, IDC_PATH, elsewhere);
            VerrowProcess::ClickIn(editor, IDOK);
            EXPECT_EQ(AnswerMessage(verrow), kWrongDriveText);
            Settle(verrow);
        }
        EXPECT_EQ(list.Text(0, 0), "プローブ");
        EXPECT_EQ(list.Text(0, 1), kProbe);
        EXPECT_EQ(list.Image(0), 0);
    }

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(FolderNames(TestDrive::ConfigFolder()), (std::vector<std::string>{"a.vrc"}));
    EXPECT_EQ(ReadFileBytes(TestDrive::ConfigFolder() + "\\a.vrc"), file);
}

TEST(Commands, EditKeepsCommandLineFolderAndFileAndShowsTheStartUpFigureAtOnce) {
    VERROW_NEED_DRIVE_V();
    // Written by hand; _VERROW_DRV_ holds another drive, which reading replaces, and two
    // flags are on as -1. The name (304 characters) is longer than the 256 that a row's
    // text is first read with.
    std::string name = "プローブ";
    for (int i = 0; i < 60; ++i) name += "の長い名前";
    const std::string file =
        "[MoxEnvExec]\r\nAppName=" + name + "\r\nAppPath=\\tools\\probe\\probe.exe\r\nCmdOpt=probe.exe -e ソ\r\n"
        "CurrentDir=\\data\r\nUseCustomEnv=-1\r\nOverWriteEnv=-1\r\nStartUp=0\r\n"
        "[MoxEnvExec_Env]\r\nENV0000_Key=_VERROW_DRV_\r\nENV0000_Val=X:\r\nENV0001_Key=KEEP\r\nENV0001_Val=1\r\n"
        "ENV0002_Key=GONE\r\nENV0002_Val=a;b\r\n";
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {{"mine.vrc", file}});
    // Hidden by its owner, and still hidden once rewritten.
    const std::string path = TestDrive::ConfigFolder() + "\\mine.vrc";
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();
    ASSERT_TRUE(list.Select(0));

    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(editor, IDC_NAME), name);
    EXPECT_EQ(TextOf(editor, IDC_PATH), kProbe);
    EXPECT_EQ(Checked(editor, IDC_START_UP), 0);
    EXPECT_EQ(Checked(editor, IDC_USE_CUSTOM_ENV), 1);
    EXPECT_EQ(Checked(editor, IDC_OVERWRITE_ENV), 1);
    EXPECT_EQ(ListBoxRows(editor, IDC_ENV_LIST), (std::vector<std::string>{"_VERROW_DRV_", "GONE", "KEEP"}));
    EXPECT_TRUE(Shoot(editor, "editor_existing_entry"));

    // The variable buttons follow the selection.
    EXPECT_TRUE(Enabled(editor, IDC_ENV_ADD));
    EXPECT_FALSE(Enabled(editor, IDC_ENV_APPLY));
    EXPECT_FALSE(Enabled(editor, IDC_ENV_DELETE));
    SelectRows(editor, IDC_ENV_LIST, {"GONE"});
    Settle(verrow);
    EXPECT_EQ(TextOf(editor, IDC_ENV_NAME), "GONE");
    EXPECT_EQ(TextOf(editor, IDC_ENV_VALUE), "a\r\nb");
    EXPECT_TRUE(Enabled(editor, IDC_ENV_APPLY));
    EXPECT_TRUE(Enabled(editor, IDC_ENV_DELETE));
    SelectRows(editor, IDC_ENV_LIST, {"GONE", "KEEP"});
    Settle(verrow);
    EXPECT_FALSE(Enabled(editor, IDC_ENV_APPLY));
    EXPECT_TRUE(Enabled(editor, IDC_ENV_DELETE));

    // The drive variable stays; a name that is there in other letter case is refused.
    SelectRows(editor, IDC_ENV_LIST, {"_VERROW_DRV_"});
    Settle(verrow);
    VerrowProcess::ClickIn(editor, IDC_ENV_APPLY);
    EXPECT_EQ(AnswerMessage(verrow), "環境変数 _VERROW_DRV_ は変更できません");
    VerrowProcess::ClickIn(editor, IDC_ENV_DELETE);
    EXPECT_EQ(AnswerMessage(verrow), "環境変数 _VERROW_DRV_ は削除できません");
    Type(editor, IDC_ENV_NAME, "keep");
    VerrowProcess::ClickIn(editor, IDC_ENV_ADD);
    EXPECT_EQ(AnswerMessage(verrow), "すでに同じ名前の環境変数が存在します");

    // GONE goes, KEEP gets another value, a new name, start-up on.
    SelectRows(editor, IDC_ENV_LIST, {"GONE"});
    VerrowProcess::ClickIn(editor, IDC_ENV_DELETE);
    Settle(verrow);
    SelectRows(editor, IDC_ENV_LIST, {"KEEP"});
    Settle(verrow);
    Type(editor, IDC_ENV_VALUE, "2");
    VerrowProcess::ClickIn(editor, IDC_ENV_APPLY);
    Settle(verrow);
    EXPECT_EQ(ListBoxRows(editor, IDC_ENV_LIST), (std::vector<std::string>{"_VERROW_DRV_", "KEEP"}));
    Type(editor, IDC_NAME, "プローブを改めた名前");
    SetChecked(editor, IDC_START_UP, true);
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    // The running figure at once; the entry is not started now.
    EXPECT_EQ(list.Image(0), 1);
    EXPECT_EQ(list.Text(0, 0), "プローブを改めた名前");
    EXPECT_EQ(list.Text(0, 1), kProbe);
    EXPECT_GE(list.LabelWidth(0), list.StringWidth("プローブを改めた名前"));  // fitted again
    EXPECT_TRUE(Shoot(verrow.Main(), "main_window_after_edit"));
    Settle(verrow);
    ExpectProbeNotStarted(verrow, kProbeOut);

    // An EDIT that changes nothing but the path (the drive letter's case): the path field
    // follows it.
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), kProbe);
    verrow.Click(IDC_EDIT);
    editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    const std::string lower = "v:\\tools\\probe\\probe.exe";
    Type(editor, IDC_PATH, lower);
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_EQ(list.Text(0, 1), lower);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), lower);

    verrow.Close(CloseWay::kEscape);
    ASSERT_EQ(verrow.WaitForExit(), 0u);
    // The same file, with the new values and the old command line and folder.
    EXPECT_EQ(FolderNames(TestDrive::ConfigFolder()), (std::vector<std::string>{"mine.vrc"}));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(EntryKeys(bytes), (std::map<std::string, std::string>{{"AppName", "プローブを改めた名前"},
                                                                     {"AppPath", "\\tools\\probe\\probe.exe"},
                                                                     {"CmdOpt", "probe.exe -e ソ"},
                                                                     {"CurrentDir", "\\data"},
                                                                     {"UseCustomEnv", "1"},
                                                                     {"OverWriteEnv", "1"},
                                                                     {"StartUp", "1"}}));
    std::size_t pairs = 0;
    EXPECT_EQ(EntryVariables(bytes, &pairs), (std::map<std::string, std::string>{{"_VERROW_DRV_", "V:"}, {"KEEP", "2"}}));
    EXPECT_EQ(pairs, 2u);
}

TEST(Commands, TheFolderOfAStartIsWorkedOutEachTimeAndNeverStored) {
    VERROW_NEED_DRIVE_V();
    // An entry without a working folder starts in its program's folder, also after EDIT
    // moved it to another program; the file keeps what it had, the name's bytes too (an
    // NEC special character that the screen shows as its JIS twin). So does a path's, in
    // an EDIT that changes nothing: its file is left as it is.
    ASSERT_TRUE(CopyFileW(L"V:\\tools\\probe\\probe.exe", L"V:\\data\\moved.exe", FALSE));
    DeleteFileW(L"V:\\data\\moved.out");
    ASSERT_TRUE(CreateDirectoryW(L"V:\\data\\\u2235", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string name = "プローブ\x87\x9B";
    // (With a variable: the editor fills an entry without any from the environment.)
    const std::string twinPath =
        EntryFile("記号", "\\data\\\x87\x9A") + "[MoxEnvExec_Env]\r\nENV0000_Key=A\r\nENV0000_Val=1\r\n";
    TestDrive::Prepare(TestDrive::SettingsText(0, 2),
                       {{"a.vrc", EntryFile(name, "\\tools\\probe\\probe.exe")}, {"b.vrc", twinPath}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    const int twinRow = ItemNamed(verrow.List(), "記号");
    ASSERT_TRUE(verrow.List().Select(twinRow));
    verrow.Click(IDC_EDIT);
    HWND unchanged = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(unchanged, nullptr);
    ASSERT_TRUE(EndEditor(verrow, unchanged));
    ASSERT_TRUE(verrow.List().Select(1 - twinRow));
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile(kProbeOut));
    EXPECT_EQ(ProbeStart(ReadFileBytes(kProbeOut)).second, "V:\\tools\\probe");

    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_PATH, "V:\\data\\moved.exe");
    ASSERT_TRUE(EndEditor(verrow, editor));
    verrow.Click(IDC_RUN);
    EXPECT_TRUE(WaitForFile("V:\\data\\moved.out"));
    EXPECT_EQ(ProbeStart(ReadFileBytes("V:\\data\\moved.out")).second, "V:\\data");

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    std::map<std::string, std::string> keys = EntryKeys(ReadFileBytes(TestDrive::ConfigFolder() + "\\a.vrc"));
    EXPECT_EQ(keys["AppName"], name);
    EXPECT_EQ(keys["AppPath"], "\\data\\moved.exe");
    EXPECT_EQ(keys["CurrentDir"], "");
    EXPECT_EQ(ReadFileBytes(TestDrive::ConfigFolder() + "\\b.vrc"), twinPath);
    DeleteFileW(L"V:\\data\\moved.out");
    DeleteFileW(L"V:\\data\\moved.exe");
    RemoveDirectoryW(L"V:\\data\\\u2235");
}

TEST(Commands, DeleteAsksThenRemovesTheFileAtOnceAndNoneForANewEntry) {
    VERROW_NEED_DRIVE_V();
    const std::string kept = EntryFile("プローブ", "\\tools\\probe\\probe.exe");
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {{"a.vrc", EntryFile("消す", "\\data")},
                                        {"b.vrc", kept},
                                        {"c.vrc", EntryFile("よそで消える", "\\data")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();
    const std::string aPath = TestDrive::ConfigFolder() + "\\a.vrc";
    int doomed = ItemNamed(list, "消す");
    ASSERT_GE(doomed, 0);
    ASSERT_TRUE(list.Select(doomed));

    verrow.Click(IDC_DEL);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VerrowProcess::MessageText(box), kConfirmDeleteText);
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_TRUE(VerrowProcess::HasButton(box, IDCANCEL));
    VerrowProcess::Answer(box, IDCANCEL);
    ASSERT_TRUE(verrow.WaitForNoDialog(box));
    Settle(verrow);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_TRUE(FileExists(aPath));

    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    Settle(verrow);
    EXPECT_FALSE(FileExists(aPath));  // at once, not at the end of the run
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(ItemNamed(list, "消す"), -1);
    // The rows left still find their own entries.
    ASSERT_TRUE(list.Select(ItemNamed(list, "プローブ")));
    verrow.Click(IDC_RUN);
    EXPECT_TRUE(WaitForFile(kProbeOut));

    // An entry added in this run has no file: deleting it deletes nothing.
    EXPECT_EQ(AddThroughEditor(verrow, "新しい", "V:\\data"), "");
    ASSERT_EQ(list.Count(), 3);
    ASSERT_TRUE(list.Select(2));
    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    Settle(verrow);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(FolderNames(TestDrive::ConfigFolder()), (std::vector<std::string>{"b.vrc", "c.vrc"}));

    // A file that someone else has deleted already is what DEL wanted: nothing to tell.
    ASSERT_TRUE(DeleteFileW(Wide(TestDrive::ConfigFolder() + "\\c.vrc").c_str()));
    ASSERT_TRUE(list.Select(ItemNamed(list, "よそで消える")));
    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    EXPECT_EQ(AnswerMessage(verrow, IDOK, 500), "");
    Settle(verrow);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0, 0), "プローブ");

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(FolderNames(TestDrive::ConfigFolder()), (std::vector<std::string>{"b.vrc"}));
    EXPECT_EQ(ReadFileBytes(TestDrive::ConfigFolder() + "\\b.vrc"), kept);
}

// The program's main window, shown or not yet, or null.
HWND MainWindowOf(const VerrowProcess& verrow) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
        if (ProcessOf(w) == verrow.Id() && GetDlgItem(w, IDC_LIST) && WindowText(w) == "Verrow") return w;
    }
    return nullptr;
}

TEST(Commands, RunOfAProgramThatCannotBeCreatedShowsItsCodeAndThenTheRunMessage) {
    VERROW_NEED_DRIVE_V();
    ASSERT_TRUE(WriteFileBytes("V:\\data\\bad.exe", "not a program\r\n"));
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {{"a.vrc", EntryFile("壊れた", "\\data\\bad.exe", 1)}});
    VerrowProcess verrow;
    // Started at the start: told while the window initialises, in a box that the window,
    // not yet shown, owns.
    ASSERT_FALSE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder()));
    HWND startBox = verrow.WaitForMessageBox();
    ASSERT_NE(startBox, nullptr) << verrow.Error();
    EXPECT_NE(VerrowProcess::MessageText(startBox).find("の起動エラー(CODE="), std::string::npos);
    EXPECT_EQ(WindowText(startBox), "Verrow");
    HWND owner = GetWindow(startBox, GW_OWNER);
    EXPECT_NE(owner, nullptr);
    EXPECT_EQ(owner, MainWindowOf(verrow));
    VerrowProcess::Answer(startBox, IDOK);
    ASSERT_TRUE(verrow.WaitForNoDialog(startBox));
    ASSERT_TRUE(verrow.WaitForMain()) << verrow.Error();
    EXPECT_EQ(owner, verrow.Main());
    ASSERT_TRUE(verrow.List().Select(0));

    verrow.Click(IDC_RUN);
    std::string first = AnswerMessage(verrow);
    HWND failed = verrow.WaitForMessageBox();
    ASSERT_NE(failed, nullptr);
    std::string second = VerrowProcess::MessageText(failed);
    EXPECT_FALSE(VerrowProcess::HasButton(failed, IDCANCEL));
    VerrowProcess::Answer(failed);
    ASSERT_TRUE(verrow.WaitForNoDialog(failed));
    DeleteFileW(L"V:\\data\\bad.exe");
    const std::string prefix = "\\data\\bad.exe の起動エラー(CODE=";
    ASSERT_EQ(first.compare(0, prefix.size(), prefix), 0) << first;
    int code = std::atoi(first.c_str() + prefix.size());
    EXPECT_GT(code, 0) << first;
    EXPECT_EQ(first.back(), ')');
    EXPECT_EQ(second, kRunFailedText);
    Sleep(200);
    EXPECT_TRUE(verrow.OtherDialogs().empty());

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(Commands, ConfSwitchesTheThreeViewsFitsDetailsAndCancelLeavesTheView) {
    VERROW_NEED_DRIVE_V();
    // StartOpen=5 is on: the drive opens, and the settings show the box checked.
    TestDrive::Prepare(TestDrive::SettingsText(5, 0), {{"a.vrc", EntryFile("プローブ", "\\tools\\probe\\probe.exe")},
                                        {"b.vrc", EntryFile("データ", "\\data")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    EndChildren(verrow.Id(), "explorer.exe");
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.ViewType(), static_cast<DWORD>(LVS_ICON));
    const int longest = list.StringWidth(kProbe);

    // Chooses a style (and the start-up box) and ends the dialog with `button`.
    auto conf = [&](int style, bool startOpen, int button, const char* screenshot = nullptr) {
        verrow.Click(IDC_CONF);
        HWND settings = verrow.WaitForDialog(kSettingsCaption);
        if (!settings) return false;
        if (screenshot) {
            EXPECT_TRUE(Shoot(settings, screenshot));
        }
        SendMessageW(GetDlgItem(settings, IDC_LIST_STYLE), CB_SETCURSEL, static_cast<WPARAM>(style), 0);
        SetChecked(settings, IDC_START_OPEN, startOpen);
        VerrowProcess::ClickIn(settings, button);
        bool gone = verrow.WaitForNoDialog(settings);
        Settle(verrow);
        return gone;
    };

    verrow.Click(IDC_CONF);
    HWND settings = verrow.WaitForDialog(kSettingsCaption);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(SendMessageW(GetDlgItem(settings, IDC_LIST_STYLE), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Checked(settings, IDC_START_OPEN), 1);
    VerrowProcess::ClickIn(settings, IDCANCEL);
    ASSERT_TRUE(verrow.WaitForNoDialog(settings));

    ASSERT_TRUE(conf(1, false, IDOK, "settings_dialog"));  // "一覧": small icons, not the list view
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_SMALLICON));
    ASSERT_TRUE(conf(2, true, IDOK));  // "詳細": details with fitted columns
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_REPORT));
    EXPECT_GE(list.ColumnWidth(1), longest);
    EXPECT_LE(list.ColumnWidth(1), longest + 24);

    // Cancel leaves the view and the columns as they are.
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 1, 10);
    ASSERT_TRUE(conf(0, false, IDCANCEL));
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_REPORT));
    EXPECT_EQ(list.ColumnWidth(1), 10);
    // Icons, then details again: fitted again.
    ASSERT_TRUE(conf(0, true, IDOK));
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_ICON));
    ASSERT_TRUE(conf(2, true, IDOK));
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_REPORT));
    EXPECT_GE(list.ColumnWidth(1), longest);

    // From details to small icons the whole list is drawn anew: below the items nothing
    // of the rows and grid lines of the details view is left on the screen.
    ASSERT_TRUE(conf(1, true, IDOK));
    ASSERT_EQ(list.ViewType(), static_cast<DWORD>(LVS_SMALLICON));
    // Paints what the program marked for painting, now: what it failed to mark stays stale.
    RedrawWindow(list.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    int itemsBottom = 0;
    for (int i = 0; i < list.Count(); ++i) itemsBottom = std::max<int>(itemsBottom, list.ItemRect(i).bottom);
    RECT client{};
    GetClientRect(list.Handle(), &client);
    POINT origin{0, 0};
    ClientToScreen(list.Handle(), &origin);
    RECT frame{};
    GetWindowRect(verrow.Main(), &frame);
    test::Pixels window = CaptureFromScreen(verrow.Main());
    std::set<std::uint32_t> below;
    for (int y = itemsBottom + 2; y < client.bottom - 2; ++y) {
        for (int x = 2; x < client.right - 2; ++x) below.insert(window.At(origin.x + x - frame.left, origin.y + y - frame.top));
    }
    EXPECT_GT(client.bottom - 2, itemsBottom + 2);
    EXPECT_EQ(below.size(), 1u) << "stale pixels below the small icons";

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(ReadFileBytes(TestDrive::Settings()), TestDrive::SettingsText(1, 1));
}

TEST(Commands, AnAddedOrEditedEntryThatCannotBeWrittenIsNamedAtTheEnd) {
    VERROW_NEED_DRIVE_V();
    // V:\readonly\VERROW_CNF and its keep.vrc are immutable (the fixture set chattr +i);
    // the settings file next to the program can be written.
    const std::string folder = "V:\\readonly\\VERROW_CNF";
    const std::string before = ReadFileBytes(folder + "\\keep.vrc");
    ASSERT_FALSE(before.empty());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start("V:\\readonly\\Verrow.exe", "V:\\readonly")) << verrow.Error();
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), 1);

    // DEL cannot delete the file: it says so and keeps the registration, as the stick does.
    ASSERT_TRUE(list.Select(0));
    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VerrowProcess::MessageText(box),
              "登録ファイルを削除できなかったため、登録を解除しませんでした。\n\n"
              "V:\\readonly\\VERROW_CNF\\keep.vrc\n\n"
              "ドライブが書き込み禁止になっていないか、取り外されていないか、ファイルが読み取り専用や使用中になっていないかを"
              "確認してください。");
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_EQ(GetWindow(box, GW_OWNER), verrow.Main());
    HWND cancel = GetDlgItem(box, IDCANCEL);
    EXPECT_TRUE(!cancel || !IsWindowVisible(cancel));
    VerrowProcess::Answer(box, IDOK);
    ASSERT_TRUE(verrow.WaitForNoDialog(box));
    Settle(verrow);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0, 0), "keep");
    EXPECT_EQ(ReadFileBytes(folder + "\\keep.vrc"), before);

    ASSERT_TRUE(list.Select(0));
    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_NAME, "変えた");
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "V:\\data"), "");
    ASSERT_EQ(list.Count(), 2);

    verrow.Close(CloseWay::kEscape);
    box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(verrow.Main()));
    EXPECT_EQ(VerrowProcess::MessageText(box),
              "次の登録を保存できませんでした。\n\n変えた\n足した\n\n"
              "ドライブが書き込み禁止になっていないか、取り外されていないか、空き容量が足りているか、"
              "ファイルが読み取り専用や使用中になっていないかを確認してください。");
    EXPECT_TRUE(test::SaveScreenshot(CaptureFromScreen(box), "unsaved_entries_box"));
    VerrowProcess::Answer(box, IDOK);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"keep.vrc"}));
    EXPECT_EQ(ReadFileBytes(folder + "\\keep.vrc"), before);
}

}  // namespace
}  // namespace verrow::gui
