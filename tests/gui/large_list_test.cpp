// A list of hundreds of entries, filled while the window initialises without a repaint or
// a path refresh per row: the rows, their order and data, the fitted columns and the
// drawing must be just as they are for a few entries.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"
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

TEST(LargeList, HundredsOfEntriesAreListedInReadingOrderFittedAndDrawn) {
    if (!TestDrive::Available()) GTEST_SKIP() << "needs the drive V: of the CTest fixture";
    // Names that do not sort like their numbers, two start-up entries (the stamp program).
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < kEntries; ++i) {
        bool startUp = i == 17 || i == 150;
        std::string path = startUp ? "\\tools\\stamp\\stamp.exe" : "\\tools\\app" + Number(i) + "\\app.exe";
        entries.push_back({"e" + Number((i * 37) % kEntries) + ".vrc", EntryFile("項目 " + Number(i), path, startUp)});
    }
    TestDrive::Prepare("[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n", entries);
    std::vector<std::string> order = SearchOrder(TestDrive::ConfigFolder());
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kEntries));

    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(TestDrive::Exe(), TestDrive::ToolsFolder(), 30000)) << verrow.Error();
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
        EXPECT_EQ(list.Text(item, 0), "項目 " + Number(i));
        EXPECT_EQ(list.Text(item, 1), startUp ? "V:\\tools\\stamp\\stamp.exe" : "V:\\tools\\app" + Number(i) + "\\app.exe");
        EXPECT_EQ(list.Image(item), startUp ? 1 : 0);
        positions.insert(list.Data(item));
    }
    EXPECT_EQ(positions.size(), static_cast<std::size_t>(kEntries));
    EXPECT_EQ(positions.count(0), 0u);
    // Once the window is up, the program holds none of the files open: each opens alone
    // (a second's wait at most, in all).
    int tries = 50;
    for (const std::string& name : order) {
        const std::wstring path = Wide(TestDrive::ConfigFolder() + "\\" + name);
        HANDLE alone = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        for (; alone == INVALID_HANDLE_VALUE && tries > 0; --tries) {
            Sleep(20);
            alone = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        }
        EXPECT_NE(alone, INVALID_HANDLE_VALUE) << name;
        if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
    }
    // Nothing selected, the path field empty, and the field follows a selection again.
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), "");
    ASSERT_TRUE(list.Select(3));
    EXPECT_EQ(verrow.ControlText(IDC_SELECTED_PATH), list.Text(3, 1));

    // Fitted to the contents once all rows were in: fitting again changes nothing.
    int widths[2] = {list.ColumnWidth(0), list.ColumnWidth(1)};
    EXPECT_GE(widths[1], list.StringWidth("V:\\tools\\stamp\\stamp.exe"));
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    SendMessageW(list.Handle(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
    EXPECT_EQ(list.ColumnWidth(0), widths[0]);
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

    verrow.Close(CloseWay::kWmClose);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

}  // namespace
}  // namespace verrow::gui
