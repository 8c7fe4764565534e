// The hint window (its text, fixed-pitch font and ways to close) and the settings dialog.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include "dialogs/entry_edit_dialog.h"
#include "dialogs/hint_dialog.h"
#include "dialogs/settings_dialog.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_test_util.h"
#include "tests/support/fake_os.h"

namespace verrow::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2) {
        lines.push_back(text.substr(from, end - from));
    }
    EXPECT_EQ(from, text.size()) << "the text ends with CR LF";
    return lines;
}

TEST(HintDialog, ShowsThirtyLinesReadOnlyInAFixedPitchFontWithTheArrowsInOneColumn) {
    HintDialog hint;
    HFONT font = nullptr;
    Driver driver({[&] {
        HWND h = hint.Handle();
        HWND box = GetDlgItem(h, IDC_HINT_TEXT);
        std::vector<std::string> lines = Lines(TextOf(box));
        EXPECT_EQ(lines.size(), 30u);
        lines.resize(30);
        for (int n : {1, 6, 14}) EXPECT_EQ(lines[n - 1].rfind("■", 0), 0u) << n;
        for (int n : {5, 10, 13, 16, 28}) EXPECT_EQ(lines[n - 1], "") << n;
        for (int n : {20, 21, 24, 25, 26, 27}) EXPECT_EQ(lines[n - 1].rfind("\x81\x40", 0), 0u) << n;
        EXPECT_NE(lines[1].find("_VERROW_DRV_"), std::string::npos);
        EXPECT_EQ(lines[29].rfind("https://", 0), 0u);

        // The three examples: the arrow after 24 characters, at one pixel column.
        font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        EXPECT_EQ(FromSystemText(description.lfFaceName), "ＭＳ ゴシック");
        EXPECT_EQ(description.lfPitchAndFamily, FIXED_PITCH);
        HDC dc = GetDC(box);
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<int> arrows;
        for (int n : {25, 26, 27}) {
            std::wstring line = ToSystemText(lines[n - 1]);
            std::size_t arrow = line.find(L'\x2192');
            EXPECT_EQ(arrow, 25u) << n;  // the full-width space, then 24 characters
            SIZE size{};
            GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(arrow), &size);
            arrows.push_back(size.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(box, dc);
        EXPECT_EQ(arrows, std::vector<int>(3, arrows[0]));

        EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_READONLY);
        std::string before = TextOf(box);
        SendMessageW(box, WM_CHAR, 'x', 0);
        EXPECT_EQ(TextOf(box), before);
        EXPECT_EQ(FocusWindow(), GetDlgItem(h, IDOK));
        EXPECT_TRUE(SaveScreenshot(CaptureWindow(h), "hint"));
        SendMessageW(box, EM_LINESCROLL, 0, 30);  // scrolls though read-only: the examples
        EXPECT_GT(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        EXPECT_TRUE(SaveScreenshot(CaptureWindow(h), "hint_end"));
        PostKey(FocusWindow(), VK_RETURN);
        return true;
    }});
    EXPECT_EQ(hint.DoModal(), IDOK);
    EXPECT_EQ(GetObjectType(font), 0u) << "the font is released with the window";
}

TEST(HintDialog, OpensFromTheEditorOwnedByItAndClosesEveryWayLeavingTheEditorAlone) {
    FakeOs os;
    ScopedOs useOs(os);
    LaunchDrive = "V:";
    const std::function<void(HWND)> ways[] = {
        [](HWND) { PostKey(FocusWindow(), VK_RETURN); },
        [](HWND) { PostKey(FocusWindow(), VK_ESCAPE); },
        [](HWND hint) { PostMessageW(hint, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND hint) { PostMessageW(GetDlgItem(hint, IDOK), BM_CLICK, 0, 0); },
    };
    EntryEditDialog editor;
    editor.AppName = "名前";
    editor.EnvMap.Set("A", "1");
    std::vector<Driver::Step> steps;
    for (const auto& close : ways) {
        steps.push_back([&] {
            PostMessageW(editor.Item(IDC_HINT), BM_CLICK, 0, 0);
            return true;
        });
        steps.push_back([&] {
            HWND hint = FindDialog(IDD_HINT);
            if (!hint) return false;
            EXPECT_EQ(GetWindow(hint, GW_OWNER), editor.Handle());
            EXPECT_FALSE(IsWindowEnabled(editor.Handle()));
            close(hint);
            return true;
        });
        steps.push_back([&] {
            if (FindDialog(IDD_HINT)) return false;
            EXPECT_TRUE(IsWindowEnabled(editor.Handle()));
            EXPECT_EQ(ItemText(editor.Handle(), IDC_NAME), "名前");
            return true;
        });
    }
    steps.push_back([&] {
        editor.EndDialog(IDCANCEL);
        return true;
    });
    Driver driver(steps, 20000);
    EXPECT_EQ(editor.DoModal(), IDCANCEL);
}

TEST(SettingsDialog, ShowsAndReturnsTheValuesWithTheViewOfEachStyle) {
    struct Case {
        int startOpen, listStyle, pick;   // pick: an item to choose, or -1
        int shownCheck, shownItem;
        int outStartOpen, outListStyle, outViewMode;
    };
    const Case cases[] = {
        {1, 2, -1, BST_CHECKED, 2, 1, 2, LVS_REPORT},
        {0, 2, 1, BST_UNCHECKED, 2, 0, 1, LVS_SMALLICON},  // "一覧" shows small icons
        {1, 1, 0, BST_CHECKED, 1, 1, 0, LVS_ICON},
        {5, 0, -1, BST_UNCHECKED, 0, 0, 0, LVS_ICON},
        {0, 7, 2, BST_UNCHECKED, -1, 0, 2, LVS_REPORT},
        {0, 7, -1, BST_UNCHECKED, -1, 0, -1, LVS_ICON},  // no style chosen: the icon view
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startOpen << "/" << c.listStyle << "/" << c.pick);
        SettingsDialog dialog;
        dialog.StartOpen = c.startOpen;
        dialog.ListStyle = c.listStyle;
        dialog.ViewMode = 99;
        Driver driver({[&] {
            HWND h = dialog.Handle();
            EXPECT_EQ(CheckState(h, IDC_START_OPEN), c.shownCheck);
            EXPECT_EQ(SendDlgItemMessageW(h, IDC_LIST_STYLE, CB_GETCURSEL, 0, 0), c.shownItem);
            if (c.startOpen == 1 && c.listStyle == 2) {
                EXPECT_TRUE(SaveScreenshot(CaptureWindow(h), "settings"));
            }
            if (c.pick >= 0) SendDlgItemMessageW(h, IDC_LIST_STYLE, CB_SETCURSEL, c.pick, 0);
            Click(h, IDOK);
            return true;
        }});
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.StartOpen, c.outStartOpen);
        EXPECT_EQ(dialog.ListStyle, c.outListStyle);
        EXPECT_EQ(dialog.ViewMode, c.outViewMode);
    }

    SettingsDialog dialog;
    dialog.StartOpen = 1;
    dialog.ListStyle = 2;
    Driver driver({[&] {
        HWND h = dialog.Handle();
        CheckDlgButton(h, IDC_START_OPEN, BST_UNCHECKED);
        SendDlgItemMessageW(h, IDC_LIST_STYLE, CB_SETCURSEL, 0, 0);
        PostKey(FocusWindow(), VK_ESCAPE);
        return true;
    }});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.StartOpen, 1);  // nothing taken
    EXPECT_EQ(dialog.ListStyle, 2);
}

}  // namespace
}  // namespace verrow::test
