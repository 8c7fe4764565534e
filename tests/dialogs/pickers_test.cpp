// The editor's file picker and folder browser, the system's own dialogs, driven under
// wine: C: is the prefix's drive, Z: the Linux root.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "dialogs/entry_edit_dialog.h"
#include "resources/resource.h"
#include "resources/texts.h"
#include "tests/dialogs/dialog_test_util.h"
#include "tests/support/fake_os.h"

namespace verrow::test {
namespace {

using E = EntryEditDialog;

struct ChildQuery {
    int id;
    std::string className;
    HWND found = nullptr;
};
BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
    auto* query = reinterpret_cast<ChildQuery*>(data);
    if (GetDlgCtrlID(window) != query->id || ClassOf(window) != query->className) return TRUE;
    query->found = window;
    return FALSE;
}
HWND FindChild(HWND parent, int id, const std::string& className) {
    ChildQuery query{id, className};
    if (parent) EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string TreeText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return FromSystemText(text);
}
HTREEITEM FindTreeItem(HWND tree, HTREEITEM item, const std::string& part) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        if (TreeText(tree, item).find(part) != std::string::npos) return item;
        if (HTREEITEM inner = FindTreeItem(tree, TreeView_GetChild(tree, item), part)) return inner;
    }
    return nullptr;
}

TEST(EntryEditor, FolderBrowserAcceptsOnlyTheLaunchDrive) {
    EXPECT_TRUE(E::FolderAllowed("E:\\tools", "E:"));
    EXPECT_TRUE(E::FolderAllowed("e:\\tools", "E:"));
    EXPECT_TRUE(E::FolderAllowed("E:\\", "e:"));
    EXPECT_FALSE(E::FolderAllowed("F:\\tools", "E:"));
    EXPECT_FALSE(E::FolderAllowed("\\\\server\\share\\tools", "E:"));
    EXPECT_FALSE(E::FolderAllowed("E:\\tools", ""));

    // Next to C:\windows, which the browser finds at once.
    const std::wstring unheld = L"C:\\Zo\u00EB";
    CreateDirectoryW(unheld.c_str(), nullptr);

    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "c:";
    E editor;
    editor.EnvMap.Set("A", "1");
    HWND browser = nullptr;
    auto openBrowser = [&] {
        PostMessageW(editor.Item(IDC_PICK_FOLDER), BM_CLICK, 0, 0);
        return true;
    };
    auto findBrowser = [&] {
        browser = FindSystemDialog();
        return browser && FindChild(browser, 14145, "SysTreeView32");
    };
    // Once the browser has opened on the launch drive (it would undo an earlier choice),
    // a folder by its path; the browser selects it in its own time: OK only after that.
    auto selectWhenOpen = [&](std::wstring path) {
        return [&, path] {
            if (!findBrowser()) return false;
            HWND tree = FindChild(browser, 14145, "SysTreeView32");
            if (TreeText(tree, TreeView_GetSelection(tree)).find("(C:)") == std::string::npos) return false;
            SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            return true;
        };
    };
    auto confirmWhenSelected = [&](std::string shown) {
        return [&, shown] {
            HWND tree = FindChild(browser, 14145, "SysTreeView32");
            if (TreeText(tree, TreeView_GetSelection(tree)) != shown) return false;
            PostMessageW(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
            return true;
        };
    };
    Driver driver(
        {
            openBrowser,
            [&] {
                if (!findBrowser()) return false;
                HWND tree = FindChild(browser, 14145, "SysTreeView32");
                HWND ok = GetDlgItem(browser, IDOK);
                EXPECT_EQ(ItemText(browser, 14146), "登録するフォルダの選択");
                // Opens on the launch drive, whose folders may be confirmed.
                EXPECT_NE(TreeText(tree, TreeView_GetSelection(tree)).find("(C:)"), std::string::npos);
                EXPECT_TRUE(IsWindowEnabled(ok));
                HTREEITEM other = FindTreeItem(tree, TreeView_GetRoot(tree), "(Z:)");
                EXPECT_NE(other, nullptr);
                TreeView_SelectItem(tree, other);
                return true;
            },
            [&] {  // another drive: the folder cannot be confirmed
                HWND tree = FindChild(browser, 14145, "SysTreeView32");
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(browser, IDOK)));
                TreeView_SelectItem(tree, FindTreeItem(tree, TreeView_GetRoot(tree), "(C:)"));
                return true;
            },
            [&] {
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(browser, IDOK)));
                PostMessageW(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
                return true;
            },
            [&] {
                if (FindSystemDialog()) return false;
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), "C:\\");
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "");  // a root gives no name
                return openBrowser();
            },
            selectWhenOpen(L"C:\\windows"),
            confirmWhenSelected("windows"),
            [&] {
                if (FindSystemDialog()) return false;
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), "C:\\windows");
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "windows");
                SetText(editor.Handle(), IDC_NAME, "");
                return openBrowser();
            },
            // A folder whose name code page 932 cannot hold: refused, and the user told why.
            selectWhenOpen(unheld),
            confirmWhenSelected(FromSystemText(L"Zo\u00EB")),
            [&] {
                if (FindSystemDialog() || os.messages.empty()) return false;
                EXPECT_EQ(os.messages.back().text, text::kPickedNameNotInCodePage);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), "C:\\windows");
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "");
                editor.EndDialog(IDCANCEL);
                return true;
            },
        },
        30000);
    editor.DoModal();
    RemoveDirectoryW(unheld.c_str());
}

TEST(EntryEditor, APickedPathMustFitIn259BytesOfCodePage932) {
    std::string path = "kept";
    std::wstring ascii = L"C:\\" + std::wstring(256, L'a');
    EXPECT_EQ(E::PickedPath(ascii, path), E::Pick::kTaken);
    EXPECT_EQ(path, "C:\\" + std::string(256, 'a'));
    std::string doubled;
    for (int i = 0; i < 128; ++i) doubled += "表";
    EXPECT_EQ(E::PickedPath(L"C:\\" + std::wstring(128, L'表'), path), E::Pick::kTaken);  // 259 bytes
    EXPECT_EQ(path, "C:\\" + doubled);

    path = "kept";
    EXPECT_EQ(E::PickedPath(ascii + L"b", path), E::Pick::kTooLong);
    EXPECT_EQ(E::PickedPath(L"C:\\" + std::wstring(128, L'表') + L"b", path), E::Pick::kTooLong);  // 132 characters
    // Characters code page 932 has no form for: not as '?', nor as a look-alike (the yen
    // sign as a backslash would even name another folder).
    EXPECT_EQ(E::PickedPath(L"C:\\Zo\u00EB\\a.exe", path), E::Pick::kNotInCodePage);
    EXPECT_EQ(E::PickedPath(L"C:\\a\u00A5b.exe", path), E::Pick::kNotInCodePage);
    EXPECT_EQ(E::PickedPath(L"C:\\\U0001F600.exe", path), E::Pick::kNotInCodePage);
    EXPECT_EQ(path, "kept");
}

TEST(EntryEditor, FilePickerTakesThePathAndNamesAnUnnamedEntryAfterTheFile) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::string folder = FromSystemText(temp) + "ピック表";
    std::string file = folder + "\\Tool.v1.exe";
    // Under 260 characters, but over 259 bytes: a 260-byte buffer could not hold it.
    std::string longFolder = folder + "\\", longFile;
    for (int i = 0; i < 60; ++i) longFolder += "長";
    std::string longFolder2 = longFolder + "\\";
    for (int i = 0; i < 60; ++i) longFolder2 += "長";
    longFile = longFolder2 + "\\long.exe";
    CreateDirectoryW(ToSystemText(folder).c_str(), nullptr);
    CreateDirectoryW(ToSystemText(longFolder).c_str(), nullptr);
    CreateDirectoryW(ToSystemText(longFolder2).c_str(), nullptr);
    // A name that code page 932 cannot hold.
    const std::wstring unheld = ToSystemText(folder) + L"\\Zo\u00EB.exe";
    for (const std::wstring& made : {ToSystemText(file), ToSystemText(longFile), unheld}) {
        CloseHandle(CreateFileW(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ASSERT_GT(longFile.size(), 259u);
    ASSERT_LT(ToSystemText(longFile).size(), 260u);
    wchar_t keepFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, keepFolder);  // the picker moves it

    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "C:";
    E editor;
    TestApp app;
    app.SetMainWindow(&editor);
    editor.EnvMap.Set("A", "1");
    HWND picker = nullptr;
    std::wstring picking = ToSystemText(file);
    auto pick = [&] {
        picker = FindSystemDialog();
        HWND name = FindChild(picker, 1148, "Edit");
        if (!name) return false;
        EXPECT_EQ(TextOf(picker), "登録するアプリケーションの選択");
        EXPECT_EQ(TextOf(name), "*.*");
        EXPECT_NE(ItemText(picker, 1137).find("(C:)"), std::string::npos);  // the launch drive
        SetWindowTextW(name, picking.c_str());
        PostMessageW(picker, WM_COMMAND, IDOK, 0);
        return true;
    };
    auto openPicker = [&] {
        PostMessageW(editor.Item(IDC_PICK_FILE), BM_CLICK, 0, 0);
        return true;
    };
    Driver driver(
        {
            openPicker,
            [&] {  // F1 in the picker, whose loop the system runs, asks the application for help
                HWND shown = FindSystemDialog();
                if (!shown || !FindChild(shown, 1148, "Edit")) return false;
                PostKey(FocusWindow(), VK_F1);
                return true;
            },
            [&] {
                if (app.helps.empty()) return false;
                EXPECT_EQ(app.helps, std::vector<HWND>{editor.Handle()});
                return true;
            },
            pick,
            [&] {
                if (FindSystemDialog()) return false;
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), file);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "Tool.v1");  // up to the last dot
                SetText(editor.Handle(), IDC_NAME, "名前");
                // Over the path box's limit: the take before the pick stops there (and
                // says so); what was ticked after it stays ticked.
                SetText(editor.Handle(), IDC_PATH, "X:\\" + std::string(253, 'o'));
                CheckDlgButton(editor.Handle(), IDC_START_UP, BST_CHECKED);
                return openPicker();
            },
            pick,
            [&] {
                if (FindSystemDialog()) return false;
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), file);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "名前");  // a name typed stays
                EXPECT_EQ(CheckState(editor.Handle(), IDC_START_UP), BST_CHECKED);
                EXPECT_EQ(os.messages.size(), 1u);
                if (!os.messages.empty()) {
                    EXPECT_EQ(os.messages[0].text, "255 文字以内で入力してください。");
                }
                os.messages.clear();
                SetText(editor.Handle(), IDC_NAME, "");
                picking = ToSystemText(longFile);
                return openPicker();
            },
            pick,
            [&] {  // too long for the byte-sized buffer: a failed pick changes nothing
                if (FindSystemDialog()) return false;
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), file);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "");
                EXPECT_TRUE(os.messages.empty());
                picking = unheld;
                return openPicker();
            },
            pick,
            [&] {  // a name that code page 932 cannot hold: refused, and the user told why
                if (FindSystemDialog() || os.messages.empty()) return false;
                EXPECT_EQ(os.messages.back().text, text::kPickedNameNotInCodePage);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_PATH), file);
                EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "");
                editor.EndDialog(IDCANCEL);
                return true;
            },
        },
        30000);
    editor.DoModal();

    SetCurrentDirectoryW(keepFolder);
    for (const std::wstring& made : {ToSystemText(file), ToSystemText(longFile), unheld}) DeleteFileW(made.c_str());
    for (const std::string& made : {longFolder2, longFolder, folder}) RemoveDirectoryW(ToSystemText(made).c_str());
}

}  // namespace
}  // namespace verrow::test
