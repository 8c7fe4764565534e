// Faults at the end of a run, when the entries and the settings are written: a stick that
// is write-protected, full, filling up, pulled out, or out of temporary names. Whatever
// happens, every file that was there is byte for byte as it was or correctly replaced,
// no temporary file is left, and SaveAllEntries names exactly the entries it could not
// save, in the collection's order.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/launch_entry.h"
#include "storage/entry_store.h"
#include "storage/settings.h"
#include "tests/support/fake_os.h"
#include "tests/support/row_sink.h"

namespace verrow {
namespace {

const char kTools[] = "E:\\tools";
const char kFolder[] = "E:\\tools\\VERROW_CNF";
const char kSettings[] = "E:\\tools\\verrow.ini";

std::string EntryFile(const std::string& name) {
    return "[MoxEnvExec]\r\nAppName=" + name + "\r\nAppPath=\\apps\\" + name + ".exe\r\nStartUp=0\r\n";
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

class StoreFaultsTest : public ::testing::Test {
protected:
    StoreFaultsTest() {
        os.AddDirectory(kTools);
        os.AddDirectory(kFolder);
        for (const char* name : {"a", "b", "c"}) {
            os.AddFile(std::string(kFolder) + "\\" + name + ".vrc", EntryFile(name));
        }
        os.AddFile(std::string(kFolder) + "\\notes.txt", "keep");
        os.AddFile(kSettings, "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n");
        store.LoadAllEntries(entries, sink);
        for (const std::string& folder : {std::string(kTools), std::string(kFolder)}) {
            for (const std::string& path : os.FilesIn(folder)) before[path] = os.FileBytes(path);
        }
    }

    LaunchEntry& Entry(std::size_t row) { return *entries.At(sink.rows.at(row).position); }
    // Renames the entry of a row: "a" becomes "a2".
    void Edit(std::size_t row) { Entry(row).SetAppName(Entry(row).GetAppName() + "2"); }
    void Add(const std::string& name) {
        auto entry = std::make_unique<LaunchEntry>();
        entry->SetAppName(name);
        entry->SetAppPath("\\apps\\" + name + ".exe");
        entries.Append(std::move(entry));
    }

    // The end of the run: settings first, then the entries.
    std::vector<std::string> EndRun(bool settingsWritten, const std::function<bool()>& mayWrite = {}) {
        EXPECT_EQ(WriteSettings(kSettings, ProgramSettings{1, 1}, mayWrite), settingsWritten);
        std::vector<std::string> failed = store.SaveAllEntries(entries, mayWrite);
        EXPECT_TRUE(entries.empty());
        return failed;
    }

    // Every file that was there: unchanged, or replaced whole (entry files given with the
    // entry's new name; the settings file with what EndRun wrote). No other file than the
    // new entries' files; no temporary file anywhere.
    void CheckFiles(const std::map<std::string, std::string>& renamed, bool settingsReplaced,
                    std::size_t newEntryFiles) {
        for (const auto& file : before) {
            auto entry = renamed.find(file.first);
            if (entry != renamed.end()) {
                LaunchEntry back;
                back.LoadFromFile(file.first);
                EXPECT_EQ(back.GetAppName(), entry->second) << file.first;
            } else if (file.first == kSettings && settingsReplaced) {
                EXPECT_EQ(os.FileBytes(kSettings), "[Verrow]\r\nStartOpen=1\r\nListStyle=1\r\n");
            } else {
                EXPECT_EQ(os.FileBytes(file.first), file.second) << file.first;
            }
        }
        std::size_t fresh = 0;
        for (const std::string& folder : {std::string(kTools), std::string(kFolder)}) {
            for (const std::string& path : os.FilesIn(folder)) {
                EXPECT_FALSE(EndsWith(test::FakeOs::Fold(path), ".TMP")) << path;
                if (!before.count(path)) {
                    ++fresh;
                    EXPECT_TRUE(EndsWith(test::FakeOs::Fold(path), ".VRC")) << path;
                }
            }
        }
        EXPECT_EQ(fresh, newEntryFiles);
    }

    std::string File(const char* name) const { return std::string(kFolder) + "\\" + name; }

    test::FakeOs os;
    ScopedOs scope_{os};
    test::RowSink sink;
    EntryStore store{"E:\\tools\\", "E:"};
    EntryCollection entries;
    std::map<std::string, std::string> before;
};

TEST_F(StoreFaultsTest, WriteProtectedStickKeepsEverything) {
    // b.vrc as another computer left it, where the stick had another letter, with a flag
    // set by hand: an EDIT that changes nothing is no failure.
    std::string b = EntryFile("b");
    b.replace(b.find("StartUp=0"), 9, "StartUp=5");
    os.AddFile(File("b.vrc"), b + "[MoxEnvExec_Env]\r\nENV0000_Key=_VERROW_DRV_\r\nENV0000_Val=Q:\r\n");
    before[File("b.vrc")] = os.FileBytes(File("b.vrc"));
    ASSERT_TRUE(Entry(1).LoadFromFile(File("b.vrc")));
    Entry(1).SetAppName("b");
    Entry(1).SetStartUp(1);
    os.readOnly = {test::FakeOs::Fold(kTools), test::FakeOs::Fold(kFolder)};
    for (const auto& file : before) os.readOnly.insert(test::FakeOs::Fold(file.first));
    Edit(0);
    Edit(2);
    Add("n1");
    EXPECT_EQ(EndRun(false), (std::vector<std::string>{"a2", "c2", "n1"}));
    CheckFiles({}, false, 0);
}

TEST_F(StoreFaultsTest, OneReadOnlyEntryFileFailsAlone) {
    os.readOnly.insert(test::FakeOs::Fold(File("a.vrc")));
    Edit(0);
    Edit(2);
    Add("n1");
    EXPECT_EQ(EndRun(true), std::vector<std::string>{"a2"});
    CheckFiles({{File("c.vrc"), "c2"}}, true, 1);
}

TEST_F(StoreFaultsTest, FullDiskWritesNothingAndLeavesNoTemporaryFile) {
    // A full disk still takes an empty file (a temporary name), but no content.
    os.failWrite = [](const std::string& path) { return !EndsWith(test::FakeOs::Fold(path), ".TMP"); };
    Edit(1);
    Add("n1");
    Add("n2");
    EXPECT_EQ(EndRun(false), (std::vector<std::string>{"b2", "n1", "n2"}));
    CheckFiles({}, false, 0);
}

TEST_F(StoreFaultsTest, DiskFillingUpDuringTheRunSavesWhatFitsAndNamesTheRest) {
    int writesLeft = 2;  // the settings file and one entry fit
    os.failWrite = [&writesLeft](const std::string& path) {
        if (EndsWith(test::FakeOs::Fold(path), ".TMP")) return false;
        return writesLeft-- <= 0;
    };
    Edit(0);
    Add("n1");
    Edit(2);
    EXPECT_EQ(EndRun(true), (std::vector<std::string>{"c2", "n1"}));
    CheckFiles({{File("a.vrc"), "a2"}}, true, 0);
}

TEST_F(StoreFaultsTest, StickPulledOutBeforeTheEnd) {
    os.RemoveTree(kTools);
    Edit(0);
    Add("n1");
    EXPECT_EQ(EndRun(false), (std::vector<std::string>{"a2", "n1"}));
    EXPECT_FALSE(os.HasDirectory(kTools));
    EXPECT_FALSE(os.HasFile(kSettings));
    EXPECT_TRUE(os.FilesIn(kFolder).empty());
}

TEST_F(StoreFaultsTest, ConfigurationFolderDeletedWhileRunning) {
    // The stick still there: the settings are written next to the program, and the folder
    // is not made again behind the user's back.
    EXPECT_FALSE(store.ConfigFolderGone());
    os.RemoveTree(kFolder);
    EXPECT_TRUE(store.ConfigFolderGone());
    Edit(0);
    Add("n1");
    os.log.clear();
    EXPECT_EQ(EndRun(true), (std::vector<std::string>{"a2", "n1"}));
    EXPECT_FALSE(os.HasDirectory(kFolder));
    EXPECT_EQ(os.FilesIn(kTools), std::vector<std::string>{kSettings});
    for (const std::string& line : os.log) EXPECT_NE(line.rfind("mkdir", 0), 0u) << line;
}

TEST_F(StoreFaultsTest, AnotherStickUnderTheLetterIsNotWrittenTo) {
    int asked = 0;
    auto otherStick = [&asked] {
        ++asked;
        return false;
    };
    Entry(0).SetAppName("a");  // an EDIT that changed nothing: its file holds it already
    Edit(1);
    Add("n1");
    Edit(2);
    EXPECT_EQ(EndRun(false, otherStick), (std::vector<std::string>{"b2", "c2", "n1"}));
    EXPECT_EQ(asked, 2);  // before the settings, and before the first entry written
    CheckFiles({}, false, 0);
}

TEST_F(StoreFaultsTest, NoTemporaryNameLeftOnlyNewEntriesFail) {
    os.failTempFile = true;
    Edit(1);
    Add("n1");
    EXPECT_EQ(EndRun(true), std::vector<std::string>{"n1"});
    CheckFiles({{File("b.vrc"), "b2"}}, true, 0);
}

TEST_F(StoreFaultsTest, EveryTemporaryNameTakenByAnEntryFileGivesUpAndCleansUp) {
    // Within one clock tick the platform hands out VER1, VER2, ... again; here each of
    // them is already an entry file, far more than are worth trying.
    for (unsigned n = 1; n <= 0x400; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "VER%X.vrc", n);
        os.AddFile(File(name), "taken");
        before[File(name)] = "taken";
    }
    os.tempCounter = 1;
    os.tempStartFixed = true;
    Add("n1");
    EXPECT_EQ(EndRun(true), std::vector<std::string>{"n1"});
    CheckFiles({}, true, 0);
}

}  // namespace
}  // namespace verrow
