// The entry editor with its environment area, driven in-process under wine with the fake
// services (their message boxes are recorded, their environment and files are chosen
// here), and once with the real ones.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/environment.h"
#include "dialogs/entry_edit_dialog.h"
#include "platform/win32/win32_os.h"
#include "resources/resource.h"
#include "resources/texts.h"
#include "tests/dialogs/dialog_test_util.h"
#include "tests/support/fake_os.h"

namespace verrow::test {
namespace {

using E = EntryEditDialog;

std::vector<std::string> TakeMessages(FakeOs& os) {
    std::vector<std::string> texts;
    for (const auto& message : os.messages) texts.push_back(message.text);
    os.messages.clear();
    return texts;
}
std::string Value(const VarMap& map, const std::string& name) {
    std::string value = "<missing>";
    map.Lookup(name, value);
    return value;
}
std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(EntryEditor, NewEntryIsSeededFromTheEnvironmentAndHandsEverythingBack) {
    FakeOs os;
    ScopedOs useOs(os);
    // HOME holds a character that code page 932 cannot hold, LONG a value and the next one
    // a name that an entry file would give back cut, as it would the line breaks of the
    // two after it: they are left to be inherited.
    os.SetEnvironment({"=C:=C:\\work", "HOME=C:\\Zo?", "PATH=C:\\A;C:\\B", "windir=C:\\WINDOWS", "_VERROW_DRV_=X:",
                       "LONG=" + std::string(25999, 'a') + ";", std::string(260, 'N') + "=1", "ML=a\nb", "C\rR=1",
                       std::string(259, 'E') + "=" + std::string(25999, 'e')});
    os.environmentOriginals = {u"", u"HOME=C:\\Zo\u00EB"};
    os.AddFile("V:\\tools\\app.exe", "");
    LaunchDrive = "V:";
    E editor;
    editor.OverWriteEnv = 1;  // what the add command hands in
    Driver driver({[&] {
        HWND h = editor.Handle();
        EXPECT_EQ(editor.EnvMap.size(), 5u);
        EXPECT_EQ(Value(editor.EnvMap, "=C:"), "C:\\work");
        EXPECT_EQ(Value(editor.EnvMap, "_VERROW_DRV_"), "V:");  // the snapshot's value replaced
        EXPECT_EQ(Sorted(ListRows(GetDlgItem(h, IDC_ENV_LIST))),
                  (std::vector<std::string>{"=C:", std::string(259, 'E'), "PATH", "_VERROW_DRV_", "windir"}));
        EXPECT_EQ(CheckState(h, IDC_OVERWRITE_ENV), BST_CHECKED);
        EXPECT_EQ(CheckState(h, IDC_USE_CUSTOM_ENV), BST_UNCHECKED);
        EXPECT_EQ(CheckState(h, IDC_START_UP), BST_UNCHECKED);
        EXPECT_TRUE(Enabled(h, IDC_ENV_ADD));
        EXPECT_FALSE(Enabled(h, IDC_ENV_DELETE));
        EXPECT_FALSE(Enabled(h, IDC_ENV_APPLY));
        EXPECT_EQ(FocusWindow(), GetDlgItem(h, IDC_NAME));
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_NAME, EM_GETLIMITTEXT, 0, 0), 1024);
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_PATH, EM_GETLIMITTEXT, 0, 0), 255);
        EXPECT_NE(SendDlgItemMessageW(h, IDC_PICK_FILE, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_NE(SendDlgItemMessageW(h, IDC_PICK_FOLDER, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_EQ(editor.Tips.ToolCount(), 5);
        const std::pair<int, const char*> tips[] = {
            {IDC_PICK_FILE, text::kTipPickFile},     {IDC_PICK_FOLDER, text::kTipPickFolder},
            {IDC_USE_CUSTOM_ENV, text::kTipCustomEnv}, {IDC_OVERWRITE_ENV, text::kTipOverwrite},
            {IDC_START_UP, text::kTipStartUp}};
        for (const auto& [id, tip] : tips) EXPECT_EQ(editor.Tips.ToolText(GetDlgItem(h, id)), tip) << id;
        EXPECT_TRUE(SaveScreenshot(CaptureWindow(h), "entry_editor_new"));

        SetText(h, IDC_NAME, "アプリ");
        SetText(h, IDC_PATH, "v:\\TOOLS\\app.exe");
        CheckDlgButton(h, IDC_START_UP, BST_CHECKED);
        CheckDlgButton(h, IDC_USE_CUSTOM_ENV, BST_CHECKED);
        Click(h, IDOK);
        return true;
    }});
    ASSERT_EQ(editor.DoModal(), IDOK);
    EXPECT_TRUE(os.messages.empty());
    EXPECT_EQ(editor.AppName, "アプリ");
    EXPECT_EQ(editor.AppPath, "v:\\TOOLS\\app.exe");
    EXPECT_EQ(editor.StartUp, 1);
    EXPECT_EQ(editor.UseCustomEnv, 1);
    EXPECT_EQ(editor.OverWriteEnv, 1);
    EXPECT_EQ(editor.EnvMap.size(), 5u);
}

TEST(EntryEditor, OkWantsANameAndAnExistingPathWithinTheLimits) {
    FakeOs os;
    ScopedOs useOs(os);
    std::string longPath = "V:\\" + std::string(253, 'a');  // 256 bytes: an AppPath of 254
    os.AddFile(longPath, "");
    os.AddDirectory("V:\\tools");
    LaunchDrive = "V:";
    E editor;
    editor.AppPath = longPath;  // handed in longer than the box takes
    HWND h = nullptr;
    Driver driver({
        [&] {
            h = editor.Handle();
            EXPECT_EQ(ItemText(h, IDC_PATH), longPath);  // shown whole
            SetText(h, IDC_NAME, "App");
            Click(h, IDOK);  // the path is over the limit: said once
            return true;
        },
        [&] {
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>{"255 文字以内で入力してください。"});
            SetText(h, IDC_NAME, "");
            SetText(h, IDC_PATH, "V:\\tools");
            Click(h, IDOK);  // no name: nothing at all
            return true;  // a dialog ended here would not see the next step
        },
        [&] {
            SetText(h, IDC_NAME, "App");
            SetText(h, IDC_PATH, "");
            Click(h, IDOK);  // no path: nothing at all
            return true;
        },
        [&] {
            EXPECT_TRUE(TakeMessages(os).empty());
            SetText(h, IDC_PATH, "V:\\tools\\gone.exe");
            Click(h, IDOK);
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>{text::kFileMissing});
            EXPECT_EQ(ItemText(h, IDC_PATH), "V:\\tools\\gone.exe");  // kept for correcting
            // So is one the system would read from the current folder, mistyped here with
            // a quote on one side.
            SetText(h, IDC_PATH, "\"V:\\tools\\gone.exe");
            Click(h, IDOK);
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>{text::kFileMissing});
            EXPECT_EQ(ItemText(h, IDC_PATH), "\"V:\\tools\\gone.exe");
            // A folder passes, also pasted from the system's "copy as path" with quotes
            // around it, or typed with a separator at its end; and typed as it is stored,
            // without its drive, it lies on the launch drive, as a start reads it, even
            // when another drive is current (Verrow started from a shortcut elsewhere).
            os.currentFolder = "C:\\elsewhere\\";
            SetText(h, IDC_PATH, "\"\\tools\\\"");
            // A name that code page 932 cannot hold would be stored as Zoe or Zo?.
            SetDlgItemTextW(h, IDC_NAME, L"Zo\u00EB");
            Click(h, IDOK);  // said once, and the dialog stays open
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>{text::kTypedTextNotInCodePage});
            wchar_t kept[8] = {};
            GetDlgItemTextW(h, IDC_NAME, kept, 8);
            EXPECT_STREQ(kept, L"Zo\u00EB");  // left for correcting
            // Apply and Add store a variable all the same, its own boxes taken; the name
            // box is named each time. A variable box that fails too stops them.
            SetText(h, IDC_ENV_NAME, "X");
            SetText(h, IDC_ENV_VALUE, "1");
            Click(h, IDC_ENV_APPLY);
            SetText(h, IDC_ENV_NAME, "Y");
            Click(h, IDC_ENV_ADD);
            EXPECT_EQ(Value(editor.EnvMap, "X"), "1");
            EXPECT_EQ(Value(editor.EnvMap, "Y"), "1");
            SetDlgItemTextW(h, IDC_ENV_VALUE, L"\u00EB");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "Y"), "1");
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_NAME));  // the first box that failed
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>(3, text::kTypedTextNotInCodePage));
            SetText(h, IDC_ENV_VALUE, "");
            // Commands that show the fields after a failed taking (a pick, a variable
            // chosen) show the nearest text, not the name from before.
            EXPECT_FALSE(editor.UpdateData(true));
            editor.UpdateData(false);
            EXPECT_EQ(ItemText(h, IDC_NAME).substr(0, 2), "Zo");
            TakeMessages(os);
            SetText(h, IDC_NAME, "App");
            Click(h, IDOK);
            EXPECT_TRUE(TakeMessages(os).empty());
            return true;
        },
    });
    ASSERT_EQ(editor.DoModal(), IDOK);
    EXPECT_EQ(editor.AppName, "App");
    EXPECT_EQ(editor.AppPath, "V:\\tools");
}

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

TEST(EntryEditor, BoxesTakeNoMoreBytesThanTheirLimits) {
    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "V:";
    E editor;
    editor.EnvMap.Set("A", "1");
    // As stored 26,000 bytes; and 25,999 bytes that the box shows on 1,000 lines.
    const std::string tooLong(26000, 'v');
    const std::string manyLines = std::string(25000, 'w') + std::string(999, ';');
    editor.EnvMap.Set("TOOLONG", tooLong);
    editor.EnvMap.Set("LINES", manyLines);
    HWND h = nullptr, list = nullptr;
    Driver driver({[&] {
        h = editor.Handle();
        list = GetDlgItem(h, IDC_ENV_LIST);
        HWND name = GetDlgItem(h, IDC_NAME), path = GetDlgItem(h, IDC_PATH);
        // 127 double-byte characters and one single-byte make 255 bytes; no more goes in.
        TypeChars(path, std::wstring(127, L'表') + L"a表b");
        EXPECT_EQ(ItemText(h, IDC_PATH), Repeat("表", 127) + "a");
        // 1022 bytes typed, then a paste of which one character fits.
        TypeChars(name, std::wstring(511, L'名'));
        EXPECT_TRUE(PutOnClipboard(L"字字"));
        SendMessageW(name, WM_PASTE, 0, 0);
        TypeChars(name, L"c");
        EXPECT_EQ(ItemText(h, IDC_NAME), Repeat("名", 511) + "字");
        EXPECT_TRUE(editor.UpdateData(true));  // both within their limits: no message
        EXPECT_TRUE(os.messages.empty());
        EXPECT_EQ(editor.AppName.size(), 1024u);
        EXPECT_EQ(editor.AppPath.size(), 255u);

        // A variable as an entry file keeps it: a name of 259 bytes and a value of 25,999
        // as stored, where each line break is one ';'.
        HWND envName = GetDlgItem(h, IDC_ENV_NAME), envValue = GetDlgItem(h, IDC_ENV_VALUE);
        TypeChars(envName, std::wstring(129, L'変') + L"ab");
        EXPECT_EQ(ItemText(h, IDC_ENV_NAME), Repeat("変", 129) + "a");
        SetText(h, IDC_ENV_VALUE, std::string(25996, 'x'));
        SendMessageW(envValue, EM_SETSEL, 25996, 25996);
        EXPECT_TRUE(PutOnClipboard(L"\r\nab\r\nc"));
        SendMessageW(envValue, WM_PASTE, 0, 0);
        TypeChars(envValue, L"d");
        EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), std::string(25996, 'x') + "\r\nab");
        Click(h, IDC_ENV_ADD);
        EXPECT_TRUE(os.messages.empty());
        EXPECT_EQ(Value(editor.EnvMap, Repeat("変", 129) + "a"), std::string(25996, 'x') + ";ab");

        // Longer ones put there by the program are refused by Add and Apply, and say so.
        SetText(h, IDC_ENV_NAME, std::string(260, 'n'));
        SetText(h, IDC_ENV_VALUE, "1");
        Click(h, IDC_ENV_ADD);
        EXPECT_EQ(TakeMessages(os), std::vector<std::string>{"259 文字以内で入力してください。"});
        EXPECT_FALSE(editor.EnvMap.Contains(std::string(260, 'n')));
        ClickRow(list, RowOf(list, "TOOLONG"));
        return true;
    },
    [&] {
        EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), tooLong);  // shown whole
        TakeMessages(os);
        SetText(h, IDC_ENV_NAME, "COPY");
        Click(h, IDC_ENV_APPLY);
        SetText(h, IDC_ENV_NAME, "COPY2");
        Click(h, IDC_ENV_ADD);
        EXPECT_EQ(TakeMessages(os), (std::vector<std::string>{"25999 文字以内で入力してください。",
                                                              "25999 文字以内で入力してください。"}));
        EXPECT_FALSE(editor.EnvMap.Contains("COPY"));
        EXPECT_FALSE(editor.EnvMap.Contains("COPY2"));
        EXPECT_EQ(RowOf(list, "COPY2"), -1);
        ClickRow(list, RowOf(list, "LINES"));
        return true;
    },
    [&] {
        TakeMessages(os);  // the long value was still in the box when the row changed
        EXPECT_EQ(ItemText(h, IDC_ENV_VALUE).size(), 25999u + 999u);
        SetText(h, IDC_ENV_NAME, "LINES2");
        Click(h, IDC_ENV_ADD);
        EXPECT_TRUE(os.messages.empty());
        EXPECT_EQ(Value(editor.EnvMap, "LINES2"), manyLines);
        editor.EndDialog(IDCANCEL);
        return true;
    }});
    EXPECT_EQ(editor.DoModal(), IDCANCEL);
}

// Names whose bytes the screen shows as other bytes (an NEC special character that the
// system writes back as its JIS twin, a lead byte without its trail) still find their
// variables through their rows.
TEST(EntryEditor, NamesTheScreenShowsOtherwiseAreSelectedAppliedAndDeleted) {
    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "V:";
    const std::string nec = "\x87\x9B", broken = "X\x81";
    auto shown = [](const std::string& name) { return FromSystemText(ToSystemText(name)); };
    ASSERT_NE(shown(nec), nec);
    ASSERT_NE(shown(broken), broken);
    E editor;
    editor.EnvMap.Set(nec, "a;b");
    editor.EnvMap.Set(broken, "2");
    editor.EnvMap.Set("C", "3");
    HWND h = nullptr, list = nullptr;
    Driver driver({
        [&] {
            h = editor.Handle();
            list = GetDlgItem(h, IDC_ENV_LIST);
            ClickRow(list, RowOf(list, shown(nec)));
            return true;
        },
        [&] {
            EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), "a\r\nb");
            SetText(h, IDC_ENV_VALUE, "c");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, nec), "c");
            EXPECT_EQ(editor.EnvMap.size(), 3u);
            ClickRow(list, RowOf(list, shown(broken)));
            return true;
        },
        [&] {
            EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), "2");
            Click(h, IDC_ENV_DELETE);
            EXPECT_FALSE(editor.EnvMap.Contains(broken));
            EXPECT_EQ(editor.EnvMap.size(), 2u);
            EXPECT_EQ(Sorted(ListRows(list)), Sorted({"C", shown(nec)}));
            EXPECT_TRUE(os.messages.empty());
            Click(h, IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(editor.DoModal(), IDCANCEL);
}

TEST(EntryEditor, ExistingEntryEditsItsVariablesWithApplyAddAndDelete) {
    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "V:";
    E editor;
    editor.AppName = "Editor";
    editor.AppPath = "V:\\tools\\edit.exe";
    editor.StartUp = 1;
    editor.UseCustomEnv = 1;
    editor.EnvMap.Set("PATH", "C:\\A;C:\\B");
    editor.EnvMap.Set("b", "1");
    editor.EnvMap.Set("A", "2");
    HWND h = nullptr, list = nullptr;
    auto rows = [&] { return ListRows(list); };
    auto selected = [&] { return static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0)); };
    auto buttons = [&] {  // Add, Delete, Apply
        return std::vector<bool>{Enabled(h, IDC_ENV_ADD), Enabled(h, IDC_ENV_DELETE), Enabled(h, IDC_ENV_APPLY)};
    };
    using B = std::vector<bool>;
    Driver driver({
        [&] {
            h = editor.Handle();
            list = GetDlgItem(h, IDC_ENV_LIST);
            // Listed as they are: sorted without regard to case, no drive variable added.
            EXPECT_EQ(rows(), (std::vector<std::string>{"A", "b", "PATH"}));
            EXPECT_EQ(editor.EnvMap.size(), 3u);
            EXPECT_EQ(ItemText(h, IDC_NAME), "Editor");
            EXPECT_EQ(CheckState(h, IDC_START_UP), BST_CHECKED);
            EXPECT_EQ(CheckState(h, IDC_OVERWRITE_ENV), BST_UNCHECKED);
            ClickRow(list, 2);
            return true;
        },
        [&] {  // one row: shown one element per line
            EXPECT_EQ(ItemText(h, IDC_ENV_NAME), "PATH");
            EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), "C:\\A\r\nC:\\B");
            EXPECT_EQ(buttons(), (B{true, true, true}));
            EXPECT_TRUE(SaveScreenshot(CaptureWindow(h), "entry_editor_existing"));
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "PATH"), "C:\\A;C:\\B");
            SetText(h, IDC_ENV_VALUE, "x\r\n\r\ny\r\n");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "PATH"), "x;;y;");
            SetText(h, IDC_ENV_VALUE, "a\nb\rc\r\n\nd");  // pasted from elsewhere
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "PATH"), "a;b;c;;d");
            ClickRow(list, 0, MK_CONTROL);
            return true;
        },
        [&] {  // two rows: no Apply; the clicked row is shown
            EXPECT_EQ(selected(), 2);
            EXPECT_EQ(buttons(), (B{true, true, false}));
            EXPECT_EQ(ItemText(h, IDC_ENV_NAME), "A");
            ClickRow(list, 0, MK_CONTROL);
            ClickRow(list, 2, MK_CONTROL);
            return true;
        },
        [&] {  // none
            EXPECT_EQ(selected(), 0);
            EXPECT_EQ(buttons(), (B{true, false, false}));
            ClickRow(list, 1);
            return true;
        },
        [&] {  // Apply writes under the name in the box, refusing the drive variable, no name
               // and one that the environment would cut at its "="
            SetText(h, IDC_ENV_NAME, "_verrow_DRV_");
            Click(h, IDC_ENV_APPLY);
            SetText(h, IDC_ENV_NAME, "");
            Click(h, IDC_ENV_APPLY);
            SetText(h, IDC_ENV_NAME, "A=B");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(TakeMessages(os), (std::vector<std::string>{text::kDriveVarNoChange, text::kEnvNameEmpty,
                                                                  text::kEnvNameWithEquals}));
            EXPECT_EQ(editor.EnvMap.size(), 3u);
            SetText(h, IDC_ENV_NAME, "NEW");
            SetText(h, IDC_ENV_VALUE, "n");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "NEW"), "n");
            SetText(h, IDC_ENV_NAME, "=C:");  // the system's own kind: its "=" is the first byte
            SetText(h, IDC_ENV_VALUE, "C:\\w");
            Click(h, IDC_ENV_APPLY);
            EXPECT_EQ(Value(editor.EnvMap, "=C:"), "C:\\w");
            EXPECT_EQ(rows().size(), 3u);  // not listed

            // Add refuses a listed name in any case, an empty one and one with "=" after its
            // first byte.
            SetText(h, IDC_ENV_NAME, "path");
            Click(h, IDC_ENV_ADD);
            SetText(h, IDC_ENV_NAME, "");
            Click(h, IDC_ENV_ADD);
            SetText(h, IDC_ENV_NAME, "PATH=");
            Click(h, IDC_ENV_ADD);
            EXPECT_EQ(TakeMessages(os), (std::vector<std::string>{text::kEnvNameTaken, text::kEnvNameEmpty,
                                                                  text::kEnvNameWithEquals}));
            EXPECT_EQ(rows().size(), 3u);
            SetText(h, IDC_ENV_NAME, "Bvar");
            SetText(h, IDC_ENV_VALUE, "1\r\n2");
            Click(h, IDC_ENV_ADD);
            EXPECT_EQ(rows(), (std::vector<std::string>{"A", "b", "Bvar", "PATH"}));
            EXPECT_EQ(SendMessageW(list, LB_GETSEL, 2, 0), 0);
            EXPECT_EQ(Value(editor.EnvMap, "Bvar"), "1;2");
            EXPECT_EQ(ItemText(h, IDC_ENV_NAME), "Bvar");
            SetText(h, IDC_ENV_NAME, "_Verrow_Drv_");  // Add knows no drive variable of its own
            Click(h, IDC_ENV_ADD);
            EXPECT_TRUE(TakeMessages(os).empty());
            // Three rows selected, one of them the drive variable; the focus elsewhere.
            ClickRow(list, RowOf(list, "_Verrow_Drv_"));
            ClickRow(list, RowOf(list, "A"), MK_CONTROL);
            ClickRow(list, RowOf(list, "Bvar"), MK_CONTROL);
            ClickRow(list, RowOf(list, "PATH"), MK_CONTROL);
            ClickRow(list, RowOf(list, "PATH"), MK_CONTROL);
            return true;
        },
        [&] {
            EXPECT_EQ(selected(), 3);
            Click(h, IDC_ENV_DELETE);
            EXPECT_EQ(TakeMessages(os), std::vector<std::string>{text::kDriveVarNoDelete});
            EXPECT_EQ(Sorted(rows()), (std::vector<std::string>{"PATH", "_Verrow_Drv_", "b"}));
            EXPECT_FALSE(editor.EnvMap.Contains("A"));
            EXPECT_FALSE(editor.EnvMap.Contains("Bvar"));
            EXPECT_EQ(Value(editor.EnvMap, "_Verrow_Drv_"), "1;2");  // the value box as it stood
            EXPECT_EQ(ItemText(h, IDC_ENV_NAME), "");
            EXPECT_EQ(ItemText(h, IDC_ENV_VALUE), "");
            EXPECT_EQ(buttons(), (B{true, true, false}));  // not recomputed
            PostKey(FocusWindow(), VK_ESCAPE);
            return true;
        },
    });
    EXPECT_EQ(editor.DoModal(), IDCANCEL);
    EXPECT_EQ(Value(editor.EnvMap, "NEW"), "n");  // held in the map for the caller after OK
}

TEST(EntryEditor, RealServicesSeedFromTheProcessAndShowTheirMessageBox) {
    Win32Os os;
    ScopedOs useOs(os);
    VarMap expected;
    ASSERT_TRUE(SnapshotEnvironment(expected));
    expected.Set("_VERROW_DRV_", "w:");
    LaunchDrive = "w:";
    E editor;
    std::string boxText, boxCaption;
    Driver driver({
        [&] {
            HWND h = editor.Handle();
            EXPECT_EQ(std::vector<VarMap::Item>(editor.EnvMap.begin(), editor.EnvMap.end()),
                      std::vector<VarMap::Item>(expected.begin(), expected.end()));
            EXPECT_EQ(ListRows(GetDlgItem(h, IDC_ENV_LIST)).size(), expected.size());
            SetText(h, IDC_ENV_NAME, "_verrow_drv_");
            Click(h, IDC_ENV_ADD);  // blocks in the message box until it is answered
            return true;
        },
        AnswerMessageBox(boxText, boxCaption),
        [&] {
            if (FindMessageBox()) return false;
            PostMessageW(editor.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        },
    });
    EXPECT_EQ(editor.DoModal(), IDCANCEL);
    EXPECT_EQ(boxText, text::kEnvNameTaken);
    EXPECT_EQ(boxCaption, "verrow_dialog_tests");
}

}  // namespace
}  // namespace verrow::test
