// A stick whose folders, programs, registrations and variables have Japanese names, used
// by the real program on a system whose code page is 932 and on one whose code page is
// 1252 (codepage.sh runs these tests on both): it must register, start, change, delete and
// save alike, and leave the same files. J: is the stick.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"

namespace verrow::gui {
namespace {

constexpr char kExe[] = "J:\\ツール\\Verrow.exe";
constexpr char kTools[] = "J:\\ツール";
constexpr char kConfig[] = "J:\\ツール\\VERROW_CNF";
constexpr char kSettingsFile[] = "J:\\ツール\\verrow.ini";
constexpr char kSettings[] = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";
constexpr char kProgram[] = "J:\\ツール\\エディタ\\編集.exe";
constexpr char kProgramOut[] = "J:\\ツール\\エディタ\\編集.out";
constexpr char kProgramWideOut[] = "J:\\ツール\\エディタ\\編集.utf16";
constexpr char kHandWritten[] = "登録.vrc";
constexpr char kFolderEntry[] = "書類.vrc";
// A variable of the launcher with characters that code page 932 cannot hold.
constexpr wchar_t kZoeName[] = L"VERROW_ZOE";
constexpr wchar_t kZoeValue[] = L"C:\\Users\\Zo\u00EB\\\U0001F600";
constexpr char kFolderNotInCodePageText[] =
    "Verrowを置いたフォルダの名前に、シフトJISで表せない文字が含まれているため、"
    "登録と設定を読み込めません。追加や変更も保存されません。\n\n"
    "シフトJISで表せる名前のフォルダにVerrowを移してください。";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

#define VERROW_NEED_STICK()                                                                   \
    if (Env("VERROW_CODEPAGE_STICK").empty()) GTEST_SKIP() << "needs the sticks of codepage.sh"; \
    ASSERT_EQ(std::to_string(GetACP()), Env("VERROW_CODEPAGE")) << "the system's code page"

int ItemNamed(const RemoteListView& list, const std::string& name) {
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Text(i, 0) == name) return i;
    }
    return -1;
}

// The files that a run leaves in a configuration folder: the settings, the hand-written
// entry under its own name, and the one new entry file, whatever number it got.
std::map<std::string, std::string> LeftFiles(const std::string& tools) {
    std::map<std::string, std::string> files{{"verrow.ini", ReadFileBytes(tools + "\\verrow.ini")}};
    for (const std::string& name : FolderNames(tools + "\\VERROW_CNF")) {
        files[name == kHandWritten ? name : "new"] += ReadFileBytes(tools + "\\VERROW_CNF\\" + name);
    }
    return files;
}

TEST(JapaneseStick, RegistersStartsChangesAndDeletesAsOnAJapaneseSystem) {
    VERROW_NEED_STICK();
    ASSERT_TRUE(WriteFileBytes(kSettingsFile, kSettings));
    EmptyFolder(kConfig);
    // Command line and working folder come from the entry file alone: one written by hand.
    ASSERT_TRUE(WriteFileBytes(std::string(kConfig) + "\\" + kHandWritten,
                               "[MoxEnvExec]\r\nAppName=エディタ（表）\r\nAppPath=\\ツール\\エディタ\\編集.exe\r\n"
                               "CmdOpt=-x \"二語 ポ\" 表\r\nCurrentDir=\\データ\\書類\r\nUseCustomEnv=1\r\n"
                               "OverWriteEnv=0\r\nStartUp=0\r\n[MoxEnvExec_Env]\r\n"
                               "ENV0000_Key=_VERROW_DRV_\r\nENV0000_Val=X:\r\n"
                               "ENV0001_Key=書類\r\nENV0001_Val=%_VERROW_DRV_%\\データ\\書類;ポ\r\n"));
    ASSERT_TRUE(WriteFileBytes(std::string(kConfig) + "\\" + kFolderEntry, EntryFile("書類フォルダ", "\\データ\\書類")));
    DeleteFileW(Wide(kProgramOut).c_str());
    ASSERT_TRUE(SetEnvironmentVariableW(kZoeName, kZoeValue));

    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kExe, kTools)) << verrow.Error();
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), 2);
    ASSERT_GE(ItemNamed(list, "エディタ（表）"), 0);
    EXPECT_EQ(list.Text(ItemNamed(list, "エディタ（表）"), 1), kProgram);

    // ADD through the editor: kana and kanji in the name and in a variable of its own, the
    // launcher's variables merged in (the seeded ones are deleted: they differ from system
    // to system, and merging brings them in anyway).
    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_NAME, "編集ツール");
    Type(editor, IDC_PATH, kProgram);
    SetChecked(editor, IDC_USE_CUSTOM_ENV, true);
    ASSERT_EQ(Checked(editor, IDC_OVERWRITE_ENV), 1);
    std::vector<std::string> seeded = ListBoxRows(editor, IDC_ENV_LIST);
    seeded.erase(std::remove(seeded.begin(), seeded.end(), "_VERROW_DRV_"), seeded.end());
    SelectRows(editor, IDC_ENV_LIST, seeded);
    VerrowProcess::ClickIn(editor, IDC_ENV_DELETE);
    Settle(verrow);
    Type(editor, IDC_ENV_NAME, "VERROW_JP");
    Type(editor, IDC_ENV_VALUE, "%_VERROW_DRV_%\\データ\r\nポ表");
    VerrowProcess::ClickIn(editor, IDC_ENV_ADD);
    Settle(verrow);
    std::vector<std::string> rows = ListBoxRows(editor, IDC_ENV_LIST);
    EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()), (std::set<std::string>{"VERROW_JP", "_VERROW_DRV_"}));
    ASSERT_TRUE(EndEditor(verrow, editor));
    ASSERT_EQ(list.Count(), 3);
    const int added = ItemNamed(list, "編集ツール");
    ASSERT_GE(added, 0);
    EXPECT_EQ(list.Text(added, 1), kProgram);

    // RUN it: the program in its folder, its variables composed, and the launcher's own
    // variable as the launcher has it.
    ASSERT_TRUE(list.Select(added));
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile(kProgramOut)) << AnswerMessage(verrow, IDOK, 100);
    std::string record = ReadFileBytes(kProgramOut);
    EXPECT_EQ(ProbeStart(record).second, "J:\\ツール\\エディタ");
    std::map<std::string, std::string> environment = ProbeEnvironment(record);
    EXPECT_EQ(environment["VERROW_JP"], "J:\\データ;ポ表");
    EXPECT_EQ(environment["_VERROW_DRV_"], "J:");
    EXPECT_TRUE(ProbeWideVariable(ReadFileBytes(kProgramWideOut), kZoeName) == kZoeValue)
        << "VERROW_ZOE arrived changed";

    // RUN the hand-written one: its command line and working folder.
    ASSERT_TRUE(RemoveRecord(kProgramOut));
    ASSERT_TRUE(list.Select(ItemNamed(list, "エディタ（表）")));
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile(kProgramOut)) << AnswerMessage(verrow, IDOK, 100);
    record = ReadFileBytes(kProgramOut);
    EXPECT_EQ(ProbeStart(record), std::make_pair(std::string("-x \"二語 ポ\" 表"), std::string("J:\\データ\\書類")));
    environment = ProbeEnvironment(record);
    EXPECT_EQ(environment["書類"], "J:\\データ\\書類;ポ");
    EXPECT_EQ(environment.count("VERROW_ZOE"), 0u);  // kept apart: the entry's variables only

    // The folder in Explorer.
    ASSERT_TRUE(list.Select(ItemNamed(list, "書類フォルダ")));
    verrow.Click(IDC_RUN);
    EXPECT_TRUE(WaitUntil([&] { return !ShownFolder(verrow.Id()).empty(); }));
    EXPECT_EQ(ShownFolder(verrow.Id()), "書類");
    EndChildren(verrow.Id(), "explorer.exe");

    // EDIT the hand-written one, DEL the folder (its file goes at once).
    ASSERT_TRUE(list.Select(ItemNamed(list, "エディタ（表）")));
    verrow.Click(IDC_EDIT);
    editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(editor, IDC_PATH), kProgram);
    Type(editor, IDC_NAME, "エディタ（改）");
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_GE(ItemNamed(list, "エディタ（改）"), 0);
    ASSERT_TRUE(list.Select(ItemNamed(list, "書類フォルダ")));
    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    Settle(verrow);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(FileExists(std::string(kConfig) + "\\" + kFolderEntry));

    verrow.Close(CloseWay::kEscape);
    ASSERT_EQ(verrow.WaitForExit(), 0u);
    SetEnvironmentVariableW(kZoeName, nullptr);

    // The hand-written file rewritten under its name, one new file, the settings.
    std::map<std::string, std::string> left = LeftFiles(kTools);
    ASSERT_EQ(left.size(), 3u);
    ASSERT_EQ(left.count(kHandWritten), 1u);
    EXPECT_EQ(EntryKeys(left[kHandWritten])["AppName"], "エディタ（改）");
    EXPECT_EQ(EntryVariables(left[kHandWritten])["書類"], "%_VERROW_DRV_%\\データ\\書類;ポ");
    EXPECT_EQ(EntryKeys(left["new"])["AppPath"], "\\ツール\\エディタ\\編集.exe");
    EXPECT_EQ(EntryVariables(left["new"]),
              (std::map<std::string, std::string>{{"VERROW_JP", "%_VERROW_DRV_%\\データ;ポ表"}, {"_VERROW_DRV_", "J:"}}));
    EXPECT_EQ(left["verrow.ini"], kSettings);

    // Started again, it shows them as they were left.
    VerrowProcess again;
    ASSERT_TRUE(again.Start(kExe, kTools)) << again.Error();
    RemoteListView relisted = again.List();
    EXPECT_EQ(relisted.Count(), 2);
    EXPECT_GE(ItemNamed(relisted, "エディタ（改）"), 0);
    ASSERT_GE(ItemNamed(relisted, "編集ツール"), 0);
    EXPECT_EQ(relisted.Text(ItemNamed(relisted, "編集ツール"), 1), kProgram);
    again.Close(CloseWay::kEscape);
    EXPECT_EQ(again.WaitForExit(), 0u);

    // Byte for byte what the same steps left on a system whose code page is 932.
    const std::string reference = FromUnix(std::getenv("VERROW_CODEPAGE_REFERENCE"));
    if (!reference.empty()) {
        EXPECT_EQ(LeftFiles(kTools), LeftFiles(reference + "\\ツール"));
    }
}

TEST(JapaneseStick, AProgramFolderThatCodePage932CannotNameIsSaidOnceAndLeftAloneAndAFileNameChangesNoFolder) {
    VERROW_NEED_STICK();
    const std::wstring folder = L"J:\\Zo\u00EB";
    VerrowProcess verrow;
    // The message comes while the main window initialises, before it shows.
    ASSERT_FALSE(verrow.Start(folder + L"\\Verrow.exe", folder));
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << verrow.Error();
    EXPECT_EQ(VerrowProcess::MessageText(box), kFolderNotInCodePageText);
    EXPECT_EQ(WindowText(box), "Verrow");
    HWND owner = GetWindow(box, GW_OWNER);
    VerrowProcess::Answer(box, IDOK);
    ASSERT_TRUE(verrow.WaitForNoDialog(box));
    ASSERT_TRUE(verrow.WaitForMain()) << verrow.Error();
    EXPECT_EQ(owner, verrow.Main());
    EXPECT_EQ(verrow.List().Count(), 0);
    // Said once (the end of the run says nothing more), and nothing written there.
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(GetFileAttributesW((folder + L"\\VERROW_CNF").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((folder + L"\\verrow.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    // Such a character in the program's own file name leaves its folder as it is: the yen
    // sign must not read as a backslash, which would make J:\yen\Verrow the program's folder.
    VerrowProcess named;
    ASSERT_TRUE(named.Start(L"J:\\yen\\Verrow\u00A52.exe", L"J:\\yen")) << named.Error();
    named.Close(CloseWay::kEscape);
    EXPECT_EQ(named.WaitForExit(), 0u);
    EXPECT_NE(GetFileAttributesW(L"J:\\yen\\VERROW_CNF"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(L"J:\\yen\\Verrow\\VERROW_CNF"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace verrow::gui
