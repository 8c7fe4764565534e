// The main window of the real program as it starts from a stick: its list, path field,
// free-space bar, buttons and tooltips, read from another process.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/free_space.h"
#include "resources/resource.h"
#include "tests/gui/gui_driver.h"

namespace verrow::gui {
namespace {

// Three registrations: a program, a start-up program whose name has a trail byte 0x5C
// (ソ), and a folder.
std::vector<std::pair<std::string, std::string>> ThreeEntries() {
    return {{"a.vrc", EntryFile("メモ帳", "\\tools\\probe\\probe.exe")},
            {"b.vrc", EntryFile("起動時ソフト", "\\tools\\stamp\\stamp.exe", 1)},
            {"c.vrc", EntryFile("データ", "\\data")}};
}

// Item index by name (the directory search decides the order, not the names).
std::map<std::string, int> ItemsByName(const RemoteListView& list) {
    std::map<std::string, int> items;
    for (int i = 0; i < list.Count(); ++i) items[list.Text(i, 0)] = i;
    return items;
}

TEST(MainWindow, ListsEveryEntryWithItsNameFigurePathAndPosition) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), ThreeEntries());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();

    ASSERT_EQ(list.Count(), 3);
    std::map<std::string, int> items = ItemsByName(list);
    ASSERT_EQ(items.size(), 3u);
    struct Expected {
        const char* name;
        const char* path;
        int image;
    };
    std::set<LPARAM> positions;
    for (const Expected& e : {Expected{"メモ帳", "V:\\tools\\probe\\probe.exe", 0},
                              Expected{"起動時ソフト", "V:\\tools\\stamp\\stamp.exe", 1},
                              Expected{"データ", "V:\\data", 0}}) {
        SCOPED_TRACE(e.name);
        ASSERT_EQ(items.count(e.name), 1u);
        int item = items[e.name];
        EXPECT_EQ(list.Text(item, 1), e.path);
        EXPECT_EQ(list.Image(item), e.image);
        EXPECT_EQ(list.State(item, LVIS_STATEIMAGEMASK), 0u);
        positions.insert(list.Data(item));
    }
    // Every item carries a position of its own.
    EXPECT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions.count(0), 0u);

    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(list.ColumnHeader(0), "名前");
    EXPECT_EQ(list.ColumnHeader(1), "パス");
    EXPECT_EQ(list.ExtendedStyle(), static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_REPORT));
    DWORD style = list.Style();
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & LVS_NOSORTHEADER);
    // One image list in all three places.
    EXPECT_NE(list.ImageList(LVSIL_NORMAL), nullptr);
    EXPECT_EQ(list.ImageList(LVSIL_SMALL), list.ImageList(LVSIL_NORMAL));
    EXPECT_EQ(list.ImageList(LVSIL_STATE), list.ImageList(LVSIL_NORMAL));

    // The columns were fitted to their contents: the path column holds the longest path
    // with a small margin, and fitting again changes nothing; the longest name shows whole
    // after the pictures, with a small margin, in a column no narrower than the list's own
    // fit.
    int widths[2] = {list.ColumnWidth(0), list.ColumnWidth(1)};
    int longest = list.StringWidth("V:\\tools\\stamp\\stamp.exe");
    EXPECT_GE(widths[1], longest);
    EXPECT_LE(widths[1], longest + 24);
    EXPECT_GE(list.LabelWidth(0), list.StringWidth("起動時ソフト"));
    EXPECT_LE(list.LabelWidth(0), list.StringWidth("起動時ソフト") + 24);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
    EXPECT_LE(list.ColumnWidth(0), widths[0]);
    EXPECT_EQ(list.ColumnWidth(1), widths[1]);

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(MainWindow, ViewFollowsListStyleAndAnEmptyListFitsItsHeaders) {
    VERROW_NEED_DRIVE_V();
    struct Case {
        int listStyle;
        DWORD view;
        const char* screenshot;
    };
    for (const Case& c : {Case{0, LVS_ICON, "main_window_icons"}, Case{1, LVS_SMALLICON, "main_window_small_icons"},
                          Case{2, LVS_REPORT, "main_window_details"}, Case{7, LVS_ICON, nullptr},
                          Case{-1, LVS_ICON, nullptr}}) {
        SCOPED_TRACE(c.listStyle);
        TestDrive::Prepare(TestDrive::SettingsText(0, c.listStyle), ThreeEntries());
        VerrowProcess verrow;
        ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
        RemoteListView list = verrow.List();
        EXPECT_EQ(list.ViewType(), c.view);
        EXPECT_EQ(list.Count(), 3);
        if (c.screenshot) {
            // Select the start-up entry so the picture shows a selection too.
            list.Select(ItemsByName(list)["起動時ソフト"]);
            ASSERT_TRUE(verrow.BringToFront());
            EXPECT_TRUE(test::SaveScreenshot(CaptureFromScreen(verrow.Main()), c.screenshot));
        }
        verrow.Close(CloseWay::kWmClose);
        EXPECT_EQ(verrow.WaitForExit(), 0u);
    }

    // No registrations, details view: both columns as wide as their headers.
    TestDrive::Prepare(TestDrive::SettingsText(0, 2), {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "");
    int widths[2] = {list.ColumnWidth(0), list.ColumnWidth(1)};
    EXPECT_GT(widths[0], 0);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_EQ(list.ColumnWidth(0), widths[0]);
    EXPECT_EQ(list.ColumnWidth(1), widths[1]);
    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(MainWindow, PathFieldShowsTheSelectedEntrysPathOnly) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(TestDrive::SettingsText(0, 0), ThreeEntries());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    RemoteListView list = verrow.List();
    std::map<std::string, int> items = ItemsByName(list);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "");

    ASSERT_TRUE(list.Select(items["データ"]));
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "V:\\data");
    ASSERT_TRUE(list.Select(items["メモ帳"]));
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "V:\\tools\\probe\\probe.exe");
    // Single selection: the first one was given up.
    EXPECT_EQ(list.State(items["データ"], LVIS_SELECTED), 0u);

    // Nothing selected: an empty field.
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    RemoteMemory memory(verrow.Process(), sizeof none);
    ASSERT_TRUE(memory.Write(&none, sizeof none));
    SendMessageW(list.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), memory.Param());
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "");

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

// The drive's size and free space as the test sees them, in mebibytes.
bool DriveMebibytes(ULONGLONG& total, ULONGLONG& free) {
    ULARGE_INTEGER available{}, totalBytes{}, freeBytes{};
    if (!GetDiskFreeSpaceExW(L"V:\\", &available, &totalBytes, &freeBytes)) return false;
    total = totalBytes.QuadPart >> 20;
    free = freeBytes.QuadPart >> 20;
    return true;
}

TEST(MainWindow, FreeSpaceBarShowsTheDrivesMebibytes) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(TestDrive::SettingsText(0, 0), {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();
    HWND bar = verrow.Control(IDC_FREE_SPACE);

    ULONGLONG total = 0, free = 0;
    ASSERT_TRUE(DriveMebibytes(total, free));
    ASSERT_LT(total, 0x7FFFFFFFull);
    EXPECT_EQ(verrow.BarLow(), 0);
    EXPECT_EQ(verrow.BarHigh(), static_cast<int>(total));
    // Other programs write to the same disk meanwhile: a little slack.
    EXPECT_NEAR(verrow.BarPos(), static_cast<double>(free), 64.0);
    // The label is the bar's own figures, formatted: read it until no tick fell between.
    std::string label, expected;
    for (int tries = 0; tries < 5; ++tries) {
        label = WindowText(bar);
        expected = FreeSpaceFor(static_cast<ULONGLONG>(verrow.BarHigh()) << 20,
                                static_cast<ULONGLONG>(verrow.BarPos()) << 20).label;
        if (label == expected) break;
    }
    EXPECT_EQ(label, expected);
    EXPECT_EQ(label.size(), 10 + 6 + 10 + 5u) << label;  // both numbers below 11 digits

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

TEST(MainWindow, OpensMidScreenWithButtonsThatShowPicturesAndTellWhatTheyDo) {
    VERROW_NEED_DRIVE_V();
    TestDrive::Prepare(TestDrive::SettingsText(0, 0), {});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder())) << verrow.Error();

    const std::map<int, std::string> tips = {
        {IDC_CONF, "Verrowの設定を行います。"},
        {IDC_DRIVE, "ドライブを開きます。"},
        {IDC_ADD, "新規にアプリケーションを追加します。"},
        {IDC_DEL, "選択されたアプリケーションの登録を解除します。"},
        {IDC_EDIT, "選択されたアプリケーションの設定をします。"},
        {IDC_RUN, "選択されたアプリケーションを起動します。"},
    };
    std::map<HWND, std::string> shown;
    for (const auto& [tool, text] : verrow.ToolTips()) shown[tool] = text;
    EXPECT_EQ(shown.size(), tips.size());
    ASSERT_TRUE(verrow.BringToFront());
    test::Pixels window = CaptureFromScreen(verrow.Main());
    RECT frame{};
    GetWindowRect(verrow.Main(), &frame);
    // Not in the corner where the template puts it.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR(frame.left + frame.right, area.left + area.right, 2);
    EXPECT_NEAR(frame.top + frame.bottom, area.top + area.bottom, 2);
    for (const auto& [id, text] : tips) {
        SCOPED_TRACE(id);
        HWND button = verrow.Control(id);
        EXPECT_EQ(shown[button], text);
        EXPECT_NE(SendMessageW(button, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_FALSE(GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON);
        // A picture, not a bare face: the button's pixels are far from one colour.
        RECT r{};
        GetWindowRect(button, &r);
        std::set<std::uint32_t> colours;
        for (int y = r.top + 2; y < r.bottom - 2; ++y) {
            for (int x = r.left + 2; x < r.right - 2; ++x) colours.insert(window.At(x - frame.left, y - frame.top));
        }
        EXPECT_GE(colours.size(), 4u);
    }

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

}  // namespace
}  // namespace verrow::gui
