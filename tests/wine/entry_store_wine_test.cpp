// A run that ends on files it cannot change, on the real file system under wine.
#include "tests/wine/wine_test_util.h"

#include "platform/win32/win32_os.h"
#include "storage/entry_store.h"
#include "storage/settings.h"
#include "tests/support/row_sink.h"

namespace verrow {
namespace {

TEST(EntryStoreOnDisk, FilesThatCannotBeWrittenStayAsTheyWere) {
    VERROW_NEED_DRIVE_P();
    Win32Os os;
    ScopedOs scope(os);
    // The fixture made P:\locked\verrow.ini and P:\locked\VERROW_CNF\VER1.vrc immutable.
    const std::string settings = "P:\\locked\\verrow.ini";
    const std::string entryFile = "P:\\locked\\VERROW_CNF\\VER1.vrc";
    const std::string settingsBefore = test::ReadFileBytes(settings);
    const std::string entryBefore = test::ReadFileBytes(entryFile);

    EXPECT_FALSE(WriteSettings(settings, ProgramSettings{1, 0}));
    EXPECT_EQ(test::ReadFileBytes(settings), settingsBefore);

    EntryStore store("P:\\locked\\", "P:");
    EntryCollection entries;
    test::RowSink sink;
    store.LoadAllEntries(entries, sink);
    ASSERT_EQ(sink.rows.size(), 1u);
    entries.At(sink.rows[0].position)->SetAppName("changed");
    auto added = std::make_unique<LaunchEntry>();
    added->SetAppName("new");
    entries.Append(std::move(added));
    EXPECT_EQ(store.SaveAllEntries(entries), std::vector<std::string>{"changed"});
    EXPECT_EQ(test::ReadFileBytes(entryFile), entryBefore);

    std::vector<std::string> names = test::NamesIn("P:\\locked\\VERROW_CNF");
    ASSERT_EQ(names.size(), 2u);  // the old file and the new entry's, no .tmp
    EXPECT_EQ(names[0], "VER1.vrc");
    DeleteFileA(("P:\\locked\\VERROW_CNF\\" + names[1]).c_str());
    EXPECT_EQ(test::NamesIn("P:\\locked"), (std::vector<std::string>{"VERROW_CNF", "verrow.ini"}));
}

}  // namespace
}  // namespace verrow
