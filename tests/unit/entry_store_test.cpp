// The entry store against the fake services: the configuration folder, listing and
// start-up, and what a run's end writes, names, leaves alone and reports.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "storage/entry_store.h"
#include "tests/support/fake_os.h"
#include "tests/support/row_sink.h"

namespace verrow {
namespace {

const char kFolder[] = "E:\\tools\\VERROW_CNF";

std::string EntryFile(const std::string& name, const std::string& path, int startUp) {
    return "[MoxEnvExec]\r\nAppName=" + name + "\r\nAppPath=" + path +
           "\r\nStartUp=" + std::to_string(startUp) + "\r\n";
}


class EntryStoreTest : public ::testing::Test {
protected:
    EntryStoreTest() : scope_(os), sink(&os.log) {
        os.AddDirectory("E:\\tools");
        os.AddFile("E:\\apps\\a.exe", "MZ");
        os.AddFile("E:\\apps\\c.exe", "MZ");
    }

    std::vector<std::string> Log(const std::string& kinds) const {
        std::vector<std::string> out;
        for (const std::string& line : os.log) {
            if (kinds.find(line.substr(0, line.find(' '))) != std::string::npos) out.push_back(line);
        }
        return out;
    }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const std::string& path : os.FilesIn(kFolder)) names.push_back(path.substr(sizeof kFolder));
        return names;
    }

    test::FakeOs os;
    ScopedOs scope_;
    test::RowSink sink;  // writes into the fake's log, so rows and starts can be ordered
    EntryStore store{"E:\\tools\\", "E:"};
    EntryCollection entries;
};

TEST_F(EntryStoreTest, MissingFolderIsCreatedOrReported) {
    // Looked for early (as the main window does while it is made), and missing then.
    store.LoadAllEntries(entries, sink, store.FindEntryFiles());
    EXPECT_EQ(os.listings, 1);  // an empty finding is not looked for again
    EXPECT_TRUE(os.HasDirectory(kFolder));
    EXPECT_TRUE(os.messages.empty());
    EXPECT_EQ(Log("row fit"), std::vector<std::string>{"fit"});

    test::FakeOs broken;
    ScopedOs use(broken);
    broken.failCreateDirectory = true;
    test::RowSink brokenSink(&broken.log);
    store.LoadAllEntries(entries, brokenSink);
    ASSERT_EQ(broken.messages.size(), 1u);
    EXPECT_EQ(broken.messages[0].text, "設定フォルダが見つかりません。");
    EXPECT_EQ(broken.messages[0].type, mb::kOk | mb::kIconExclamation);
    EXPECT_TRUE(brokenSink.rows.empty());
    EXPECT_TRUE(broken.log.size() == 1 && broken.log[0].rfind("message", 0) == 0);  // no fit
    EXPECT_TRUE(entries.empty());
}

TEST_F(EntryStoreTest, ListsEveryEntryFileAndStartsStartUpEntriesRightAfterTheirRows) {
    os.AddDirectory(kFolder);
    os.AddFile("E:\\tools\\VERROW_CNF\\c.vrc", EntryFile("C", "\\apps\\c.exe", 1));
    os.AddFile("E:\\tools\\VERROW_CNF\\other.txt", EntryFile("T", "\\apps\\a.exe", 1));
    // An editor's backup, found by its short name only.
    os.AddFile("E:\\tools\\VERROW_CNF\\c.vrc~", EntryFile("C", "\\apps\\c.exe", 1));
    os.shortNames[test::FakeOs::Fold("E:\\tools\\VERROW_CNF\\c.vrc~")] = "C~1.VRC";
    os.AddFile("E:\\tools\\VERROW_CNF\\bad.vrc", EntryFile("B", "\\apps\\a.exe", 1));
    os.unreadable.insert(test::FakeOs::Fold("E:\\tools\\VERROW_CNF\\bad.vrc"));
    os.AddFile("E:\\tools\\VERROW_CNF\\a.vrc",
               EntryFile("A", "\\apps\\a.exe", 1) +
                   "[MoxEnvExec_Env]\r\nENV0000_Key=_verrow_drv_\r\nENV0000_Val=Q:\r\n");
    os.AddFile("E:\\tools\\VERROW_CNF\\x.vrc", "");
    os.AddFile("E:\\tools\\VERROW_CNF\\gone.vrc", EntryFile("G", "\\apps\\gone.exe", 1));
    os.AddFile("E:\\tools\\VERROW_CNF\\p.vrc", EntryFile("P", "\\apps\\a.exe", 0));
    // Any flag but 0 is on, as written by hand.
    os.AddFile("E:\\tools\\VERROW_CNF\\d.vrc", EntryFile("D", "\\apps\\a.exe", 5) +
                                                     "[MoxEnvExec_Env]\r\nENV0000_Key=D1\r\nENV0000_Val=d\r\n");
    // The launcher itself, by another spelling: listed, never started (each copy would
    // start the next).
    os.AddFile("E:\\tools\\Verrow.exe", "MZ");
    os.AddFile("E:\\tools\\VERROW_CNF\\self.vrc", EntryFile("S", "\\TOOLS\\verrow.EXE", 1));

    // Found, and their reading begun, before the load takes them.
    store.LoadAllEntries(entries, sink, store.FindEntryFiles());

    EXPECT_EQ(Log("row start fit message"),
              (std::vector<std::string>{"row C", "start E:\\apps\\c.exe", "row ", "row A",
                                        "start E:\\apps\\a.exe", "row ", "row G", "row P", "row D",
                                        "start E:\\apps\\a.exe", "row S", "fit"}));
    ASSERT_EQ(sink.rows.size(), 8u);
    EXPECT_EQ(entries.size(), 8u);
    EXPECT_EQ(sink.rows[0].pathText, "E:\\apps\\c.exe");
    EXPECT_EQ(sink.rows[0].image, 1);
    EXPECT_EQ(sink.rows[1].pathText, "E:");  // unreadable: an entry with defaults
    EXPECT_EQ(sink.rows[1].image, 0);
    EXPECT_EQ(sink.rows[5].image, 0);
    EXPECT_EQ(sink.rows[6].image, 1);  // a picture the list has
    for (const test::Row& row : sink.rows) {
        ASSERT_NE(entries.At(row.position), nullptr);
        EXPECT_EQ(entries.At(row.position)->GetAppName(), row.name);
    }
    // Read from the configuration folder, the drive variable holds the running drive.
    std::string drive;
    entries.At(sink.rows[2].position)->LookupEnv("_verrow_drv_", drive);
    EXPECT_EQ(drive, "E:");
    // Every entry keeps its own variables, however many files were read after its own.
    std::vector<std::string> names;
    entries.At(sink.rows[2].position)->GetEnvNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"_verrow_drv_"});
    std::string d1;
    entries.At(sink.rows[6].position)->LookupEnv("D1", d1);
    EXPECT_EQ(d1, "d");

    // The session ended while A was being started (its message open): nothing after it.
    os.log.clear();
    EntryCollection more;
    test::RowSink ending(&os.log);
    ending.stopAfter = 3;
    store.LoadAllEntries(more, ending);
    EXPECT_EQ(Log("row start"),
              (std::vector<std::string>{"row C", "start E:\\apps\\c.exe", "row ", "row A", "start E:\\apps\\a.exe"}));
}

class EntryStoreSaveTest : public EntryStoreTest {
protected:
    EntryStoreSaveTest() {
        os.AddDirectory(kFolder);
        os.AddFile("E:\\tools\\VERROW_CNF\\a.vrc", EntryFile("A", "\\apps\\a.exe", 0));
        os.AddFile("E:\\tools\\VERROW_CNF\\b.vrc", EntryFile("B", "\\apps\\a.exe", 0));
        os.AddFile("E:\\tools\\VERROW_CNF\\other.txt", "keep");
        store.LoadAllEntries(entries, sink);
        before = {os.FileBytes("E:\\tools\\VERROW_CNF\\a.vrc"),
                  os.FileBytes("E:\\tools\\VERROW_CNF\\b.vrc")};
        os.log.clear();
    }

    void Add(const std::string& name) {
        auto entry = std::make_unique<LaunchEntry>();
        entry->SetAppName(name);
        entry->SetAppPath("\\apps\\" + name + ".exe");
        entries.Append(std::move(entry));
    }
    void EditFirst() { entries.At(sink.rows[0].position)->SetAppName("A2"); }

    std::vector<std::string> before;
};

TEST_F(EntryStoreSaveTest, WritesOnlyNewAndChangedEntriesUnderFreshNames) {
    EditFirst();
    Add("new1");
    Add("new2");
    EXPECT_TRUE(store.SaveAllEntries(entries).empty());
    EXPECT_TRUE(entries.empty());

    std::vector<std::string> names = FileNames();
    ASSERT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[0], "a.vrc");
    EXPECT_EQ(names[1], "b.vrc");
    EXPECT_EQ(names[2], "other.txt");
    EXPECT_TRUE(std::regex_match(names[3], std::regex("VER[0-9A-F]{1,4}\\.vrc")));
    EXPECT_TRUE(std::regex_match(names[4], std::regex("VER[0-9A-F]{1,4}\\.vrc")));
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\a.vrc").find("AppName=A2\r\n"), std::string::npos);
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\b.vrc"), before[1]);
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\other.txt"), "keep");
    EXPECT_NE(os.FileBytes(std::string(kFolder) + "\\" + names[3]).find("AppName=new1\r\n"),
              std::string::npos);
    for (const std::string& line : Log("write")) EXPECT_EQ(line.find("b.vrc"), std::string::npos);
}

TEST_F(EntryStoreSaveTest, NewEntryNeverTakesAnExistingEntryFilesName) {
    // Files that a temporary name could turn into, as Windows hands names out within
    // one clock tick: the same number again once its temporary file is gone.
    os.AddFile("E:\\tools\\VERROW_CNF\\VER1.vrc", "one");
    os.AddFile("E:\\tools\\VERROW_CNF\\VER2.vrc", "two");
    os.tempCounter = 1;
    os.tempStartFixed = true;
    Add("new1");
    EXPECT_TRUE(store.SaveAllEntries(entries).empty());
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\VER1.vrc"), "one");
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\VER2.vrc"), "two");
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\VER3.vrc").find("AppName=new1"), std::string::npos);
    EXPECT_EQ(FileNames().size(), 6u);  // a, b, other, VER1, VER2, VER3: no .tmp
}

TEST_F(EntryStoreSaveTest, TwoCopiesClosingAtOnceKeepEachOthersNewEntries) {
    // Within one clock tick both copies get the same temporary numbers. The other copy
    // saves its new entry while this one writes its own.
    os.tempCounter = 1;
    os.tempStartFixed = true;
    EntryCollection others;
    auto other = std::make_unique<LaunchEntry>();
    other->SetAppName("other");
    others.Append(std::move(other));
    bool otherSaved = false;
    os.duringWrite = [&](const std::string& path) {
        if (otherSaved || path.compare(path.rfind('\\') + 1, 3, "VER") != 0) return;
        otherSaved = true;
        EXPECT_TRUE(store.SaveAllEntries(others).empty());
    };
    EditFirst();  // a changed entry replaces its own file, as ever
    Add("mine");
    EXPECT_TRUE(store.SaveAllEntries(entries).empty());
    EXPECT_TRUE(otherSaved);
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\a.vrc").find("AppName=A2\r\n"), std::string::npos);
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\VER1.vrc").find("AppName=mine\r\n"), std::string::npos);
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\VER2.vrc").find("AppName=other\r\n"), std::string::npos);

    // A copy that takes the very name this one moves its file to: this one takes another
    // name rather than replace that file.
    bool taken = false;
    os.duringWrite = [&](const std::string& path) {
        if (!taken) os.AddFile(path, "taken");
        taken = true;
    };
    Add("late");
    EXPECT_TRUE(store.SaveAllEntries(entries).empty());
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\VER3.vrc"), "taken");
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\VER4.vrc").find("AppName=late\r\n"), std::string::npos);
    EXPECT_EQ(FileNames().size(), 7u);  // a, b, other, VER1 to VER4: no .tmp
}

TEST_F(EntryStoreSaveTest, FailedWritesAreReportedAndLeaveOldFilesAlone) {
    EditFirst();
    entries.At(sink.rows[1].position)->SetAppName("B2");
    Add("new1");
    os.failWrite = [](const std::string& path) {
        return test::FakeOs::Fold(path) == test::FakeOs::Fold("E:\\tools\\VERROW_CNF\\a.vrc");
    };
    EXPECT_EQ(store.SaveAllEntries(entries), (std::vector<std::string>{"A2"}));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(os.FileBytes("E:\\tools\\VERROW_CNF\\a.vrc"), before[0]);
    EXPECT_NE(os.FileBytes("E:\\tools\\VERROW_CNF\\b.vrc").find("AppName=B2"), std::string::npos);
    EXPECT_EQ(FileNames().size(), 4u);  // the new entry was written, no .tmp

    // A folder that takes no new file (a full stick) is given up at the first name, not
    // tried under every name there is.
    Add("new2");
    os.failWrite = [](const std::string& path) {
        return test::FakeOs::Fold(path).find(test::FakeOs::Fold(".vrc")) != std::string::npos;
    };
    const int counter = os.tempCounter;
    EXPECT_EQ(store.SaveAllEntries(entries), (std::vector<std::string>{"new2"}));
    EXPECT_EQ(os.tempCounter, counter + 1);
    EXPECT_EQ(FileNames().size(), 4u);
}

TEST_F(EntryStoreSaveTest, DeletingRemovesTheFileAtOnce) {
    LaunchEntry& first = *entries.At(sink.rows[0].position);
    EXPECT_TRUE(store.DeleteEntryFile(first));
    EXPECT_FALSE(os.HasFile("E:\\tools\\VERROW_CNF\\a.vrc"));
    entries.Remove(sink.rows[0].position);
    EXPECT_EQ(entries.At(sink.rows[0].position), nullptr);
    EXPECT_NE(entries.At(sink.rows[1].position), nullptr);  // others keep their positions

    LaunchEntry fresh;  // never written: nothing to delete
    EXPECT_TRUE(store.DeleteEntryFile(fresh));
    EXPECT_EQ(Log("delete"), std::vector<std::string>{"delete E:\\tools\\VERROW_CNF\\a.vrc"});

    // A file that stays is no deletion; one that someone else deleted already is.
    LaunchEntry& second = *entries.At(sink.rows[1].position);
    const std::string path = second.GetEntryFilePath();
    os.readOnly.insert(test::FakeOs::Fold(path));
    EXPECT_FALSE(store.DeleteEntryFile(second));
    EXPECT_TRUE(os.HasFile(path));
    os.readOnly.clear();
    // Nor is one on another stick that took the drive's letter, left alone, nor one whose
    // folder is gone with the drive.
    EXPECT_FALSE(store.DeleteEntryFile(second, [] { return false; }));
    EXPECT_TRUE(os.HasFile(path));
    ASSERT_TRUE(os.DeleteFile(path));
    EXPECT_TRUE(store.DeleteEntryFile(second));
    os.RemoveTree(kFolder);
    EXPECT_FALSE(store.DeleteEntryFile(second));
}

}  // namespace
}  // namespace verrow
