// The entry editor's file picker, folder browser and hint window, opened from the main
// window of the real program. Drives other than V: are the prefix's C: and Z:.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"

namespace verrow::gui {
namespace {

constexpr char kSettings[] = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";

struct ChildQuery {
    const wchar_t* className;
    int id;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
    auto* query = reinterpret_cast<ChildQuery*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (GetDlgCtrlID(window) != query->id || wcscmp(name, query->className) != 0) return TRUE;
    query->found = window;
    return FALSE;
}

HWND ChildOfClass(HWND parent, const wchar_t* className, int id) {
    ChildQuery query{className, id, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// The system dialog the editor opened: a dialog of the program other than the editor
// with the given control.
HWND WaitForSystemDialog(const VerrowProcess& verrow, HWND editor, const wchar_t* className, int id) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND dialog : verrow.OtherDialogs()) {
            if (dialog != editor && ChildOfClass(dialog, className, id)) found = dialog;
        }
        return found != nullptr;
    });
    return found;
}

TEST(EditorFromTheMainWindow, AFilePickedOnAnotherDriveLeavesTheCurrentFolderAlone) {
    VERROW_NEED_DRIVE_V();
    // A file on the prefix's C: drive.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string folder = FromSystemText(temp) + "ピック先";
    const std::string picked = folder + "\\Tool.v2.exe";
    ASSERT_NE(picked.substr(0, 2), "V:");
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(picked, "MZ"));
    // "." as the folder of the start: the program's own current folder.
    TestDrive::Prepare(kSettings, {{"a.vrc", EntryFile("プローブ", "\\tools\\probe\\probe.exe", 0, "probe.exe", ".")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();

    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    VerrowProcess::ClickIn(editor, IDC_PICK_FILE);
    HWND picker = WaitForSystemDialog(verrow, editor, L"Edit", 1148);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(WindowText(picker), "登録するアプリケーションの選択");
    SetWindowText932(ChildOfClass(picker, L"Edit", 1148), picked);
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(verrow.WaitForNoDialog(picker));
    Settle(verrow);
    EXPECT_EQ(TextOf(editor, IDC_PATH), picked);
    EXPECT_EQ(TextOf(editor, IDC_NAME), "Tool.v2");
    VerrowProcess::ClickIn(editor, IDOK);
    EXPECT_EQ(AnswerMessage(verrow), kWrongDriveText);

    // Stored paths have no drive: they are still found on V:, and "." is still V:\tools.
    ASSERT_TRUE(verrow.List().Select(0));
    verrow.Click(IDC_RUN);
    ASSERT_TRUE(WaitForFile("V:\\tools\\probe\\probe.out")) << AnswerMessage(verrow, IDOK, 100);
    EXPECT_EQ(ProbeStart(ReadFileBytes("V:\\tools\\probe\\probe.out")),
              std::make_pair(std::string("probe.exe"), std::string("V:\\tools")));

    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    DeleteFileW(Wide(picked).c_str());
    RemoveDirectoryW(Wide(folder).c_str());
}

TEST(EditorFromTheMainWindow, FolderBrowserConfirmsOnlyOnTheLaunchDriveAndTheHintOpens) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(kSettings, {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    verrow.Click(IDC_ADD);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);

    VerrowProcess::ClickIn(editor, IDC_HINT);
    HWND hint = verrow.WaitForDialog("ヒント");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(GetWindow(hint, GW_OWNER), editor);
    EXPECT_TRUE(Shoot(hint, "hint_window"));
    PostMessageW(hint, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(verrow.WaitForNoDialog(hint));

    VerrowProcess::ClickIn(editor, IDC_PICK_FOLDER);
    HWND browser = WaitForSystemDialog(verrow, editor, L"SysTreeView32", 14145);
    ASSERT_NE(browser, nullptr);
    HWND ok = GetDlgItem(browser, IDOK);
    // Selects a folder by its path, as the browser's own message does (the text must lie
    // in the program's memory).
    auto select = [&](const std::string& path) {
        std::wstring wide = Wide(path);
        RemoteMemory memory(verrow.Process(), (wide.size() + 1) * sizeof(wchar_t));
        ASSERT_TRUE(memory.Write(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, memory.Param());
    };
    // It opens on the launch drive, where OK is allowed.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(ok); }));
    select("C:\\windows");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(ok); })) << "OK stays enabled on C:";
    select("v:\\data");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(ok); })) << "OK stays disabled on v:";
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(verrow.WaitForNoDialog(browser));
    Settle(verrow);
    EXPECT_EQ(TextOf(editor, IDC_PATH), "V:\\data");
    EXPECT_EQ(TextOf(editor, IDC_NAME), "data");

    ASSERT_TRUE(EndEditor(verrow, editor));
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0, 1), "V:\\data");
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    std::vector<std::string> names = FolderNames(TestDrive::ConfigFolder());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(EntryKeys(ReadFileBytes(TestDrive::ConfigFolder() + "\\" + names[0]))["AppPath"], "\\data");
}

}  // namespace
}  // namespace verrow::gui
