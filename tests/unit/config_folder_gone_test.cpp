// The configuration folder deleted while the program runs (the stick itself still there):
// the settings are still written next to the program, the changed and the added
// registrations are named, and the folder is not made again behind the user's back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/entry_store.h"
#include "storage/settings.h"
#include "tests/support/fake_os.h"
#include "tests/support/row_sink.h"

namespace verrow {
namespace {

TEST(ConfigFolderGone, SettingsAreSavedAndChangedOrAddedRegistrationsNamed) {
    test::FakeOs os;
    ScopedOs scope(os);
    const std::string folder = "E:\\tools\\VERROW_CNF";
    os.AddDirectory("E:\\tools");
    os.AddDirectory(folder);
    os.AddFile(folder + "\\a.vrc", "[MoxEnvExec]\r\nAppName=first\r\n");
    os.AddFile(folder + "\\b.vrc", "[MoxEnvExec]\r\nAppName=second\r\n");
    EntryStore store("E:\\tools\\", "E:");
    EntryCollection entries;
    test::RowSink sink;
    store.LoadAllEntries(entries, sink);
    ASSERT_EQ(sink.rows.size(), 2u);

    EXPECT_FALSE(store.ConfigFolderGone());
    os.RemoveTree(folder);
    EXPECT_TRUE(store.ConfigFolderGone());
    LaunchEntry* first = entries.At(sink.rows[0].position);
    first->SetAppName(first->GetAppName() + " changed");
    auto added = std::make_unique<LaunchEntry>();
    added->SetAppName("added");
    entries.Append(std::move(added));

    EXPECT_TRUE(WriteSettings("E:\\tools\\verrow.ini", ProgramSettings{0, 2}));
    std::vector<std::string> expected{first->GetAppName(), "added"};
    os.log.clear();
    EXPECT_EQ(store.SaveAllEntries(entries), expected);
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(os.HasDirectory(folder));
    EXPECT_EQ(os.FilesIn("E:\\tools"), std::vector<std::string>{"E:\\tools\\verrow.ini"});
    for (const std::string& line : os.log) EXPECT_NE(line.rfind("mkdir", 0), 0u) << line;
}

}  // namespace
}  // namespace verrow
