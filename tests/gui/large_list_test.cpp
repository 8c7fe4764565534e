// A list of hundreds of entries, filled while the window initialises without a repaint or
// a path refresh per row: the rows, their order and data, the fitted columns and the
// drawing must be just as they are for a few entries.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"
#include "tests/gui/gui_driver.h"

namespace verrow::gui {
namespace {

constexpr int kEntries = 200;

std::string Number(int i) {
    std::string text = std::to_string(i);
    return std::string(3 - text.size(), '0') + text;
}

// Entry file names in the order the directory search gives them, as the program reads them.
std::vector<std::string> SearchOrder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(folder + "\\*.vrc").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        names.emplace_back(name.begin(), name.end());  // ASCII names
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// Whether the program holds none of the files open: each opens alone (within a second's
// wait in all, for a file the reader may be reading just then).
void ExpectEachOpensAlone(const std::vector<std::string>& names) {
    int tries = 50;
    std::string held;
    for (const std::string& name : names) {
        const std::wstring path = Wide(TestDrive::ConfigFolder() + "\\" + name);
        HANDLE alone = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        for (; alone == INVALID_HANDLE_VALUE && tries > 0; --tries) {
            Sleep(20);
            alone = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        }
        if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
        else held += " " + name;
    }
    EXPECT_EQ(held, "") << "held open";
}

TEST(LargeList, HundredsOfEntriesAreListedInReadingOrderFittedAndDrawn) {
    if (!TestDrive::Available()) GTEST_SKIP() << "needs the drive V: of the CTest fixture";
    // Names that do not sort like their numbers, two start-up entries: the stamp program,
    // and one that cannot start, whose message comes in the middle of the load.
    ASSERT_TRUE(WriteFileBytes("V:\\data\\bad.exe", "not a program\r\n"));
    auto pathOf = [](int i) {
        return i == 17 ? std::string("\\tools\\stamp\\stamp.exe")
                       : i == 150 ? std::string("\\data\\bad.exe") : "\\tools\\app" + Number(i) + "\\app.exe";
    };
    // One name longer than the 259 characters a row shows.
    const std::string longShown = "項目 042" + std::string(253, 'x');
    auto nameOf = [&](int i) { return i == 42 ? longShown + std::string(300, 'x') : "項目 " + Number(i); };
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < kEntries; ++i) {
        bool startUp = i == 17 || i == 150;
        std::string path = pathOf(i);
        entries.push_back({"e" + Number((i * 37) % kEntries) + ".vrc", EntryFile(nameOf(i), path, startUp)});
    }
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n", entries);
    std::vector<std::string> order = SearchOrder(TestDrive::ConfigFolder());
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kEntries));

    VerrowProcess verrow;
    ASSERT_FALSE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder(), 30000));
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << verrow.Error();
    EXPECT_NE(VerrowProcess::MessageText(box).find("の起動エラー(CODE="), std::string::npos);
    // While the message waits for the user, no file read so far stays open.
    ExpectEachOpensAlone(order);
    VerrowProcess::Answer(box, IDOK);
    ASSERT_TRUE(verrow.WaitForNoDialog(box));
    ASSERT_TRUE(verrow.WaitForMain(30000)) << verrow.Error();
    DeleteFileW(L"V:\\data\\bad.exe");
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), kEntries);
    std::set<LPARAM> positions;
    for (int item = 0; item < kEntries; ++item) {
        // The file read at this place tells which entry the row must show.
        int file = std::stoi(order[item].substr(1, 3));
        int i = 0;
        while ((i * 37) % kEntries != file) ++i;
        bool startUp = i == 17 || i == 150;
        SCOPED_TRACE(order[item]);
        EXPECT_EQ(list.Text(item, 0), nameOf(i));
        EXPECT_EQ(list.Text(item, 1), "V:" + pathOf(i));
        EXPECT_EQ(list.Image(item), startUp ? 1 : 0);
        positions.insert(list.Data(item));
    }
    EXPECT_EQ(positions.size(), static_cast<std::size_t>(kEntries));
    EXPECT_EQ(positions.count(0), 0u);
    // Nor once the window is up.
    ExpectEachOpensAlone(order);
    // Nothing selected, the path field empty, and the field follows a selection again.
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "");
    ASSERT_TRUE(list.Select(3));
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), list.Text(3, 1));

    // Fitted to the contents once all rows were in: fitting again changes nothing (the
    // longest name shows whole as far as a row shows it, in a column no narrower than the
    // list's own fit and not much wider).
    int widths[2] = {list.ColumnWidth(0), list.ColumnWidth(1)};
    EXPECT_GE(widths[1], list.StringWidth("V:\\tools\\stamp\\stamp.exe"));
    EXPECT_GE(list.LabelWidth(0), list.StringWidth(longShown));
    EXPECT_LE(list.LabelWidth(0), list.StringWidth(longShown) + 24);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
    EXPECT_LE(list.ColumnWidth(0), widths[0]);
    EXPECT_EQ(list.ColumnWidth(1), widths[1]);

    // Drawn as the list draws itself once it may: the picture does not change when the
    // list is told once more that it may redraw, and it is not one plain colour.
    ASSERT_TRUE(verrow.BringToFront());
    test::Pixels shown = CaptureFromScreen(list.Handle());
    SendMessageW(list.Handle(), WM_SETREDRAW, TRUE, 0);
    ASSERT_TRUE(verrow.BringToFront());
    test::Pixels redrawn = CaptureFromScreen(list.Handle());
    EXPECT_TRUE(shown == redrawn);
    std::set<std::uint32_t> colours(shown.rgb.begin(), shown.rgb.end());
    EXPECT_GE(colours.size(), 3u);

    // The row the user scrolled to and chose is still in sight in each view CONF gives,
    // from its beginning (rows as wide as the long name are wider than the list).
    const int last = kEntries - 1;
    ASSERT_TRUE(list.Select(last));
    SendMessageW(list.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(last), FALSE);
    for (int style : {0, 1, 2}) {
        ASSERT_TRUE(ChooseListStyle(verrow, style));
        RECT client{};
        GetClientRect(list.Handle(), &client);
        RECT row = list.ItemRect(last, LVIR_BOUNDS);
        ASSERT_GT(row.bottom, row.top);
        EXPECT_TRUE(row.top >= client.top && row.bottom <= client.bottom && row.left >= client.left &&
                    row.left < client.right)
            << "style " << style << ": row at " << row.left << "," << row.top;
    }
    // CONF that keeps the view keeps where the user scrolled to (along the long paths).
    SendMessageW(list.Handle(), LVM_SCROLL, 40, 0);
    const LONG scrolled = list.ItemRect(last, LVIR_BOUNDS).left;
    ASSERT_LT(scrolled, 0);
    ASSERT_TRUE(ChooseListStyle(verrow, 2));
    EXPECT_EQ(list.ItemRect(last, LVIR_BOUNDS).left, scrolled);

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

}  // namespace
}  // namespace verrow::gui
