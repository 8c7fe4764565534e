// The bad-file corpus (tests/data/bad, and the large files that tools/make-bad-files.py
// generates) loaded through the entry store and the settings reader: nothing crashes,
// what can be listed is listed within the read limits, the large files load in bounded
// time and memory, and a run that changes nothing writes nothing.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/cp932.h"
#include "core/launch_entry.h"
#include "storage/entry_store.h"
#include "storage/settings.h"
#include "tests/support/fake_os.h"
#include "tests/support/row_sink.h"

namespace verrow {
namespace {

namespace fs = std::filesystem;

const char kFolder[] = "E:\\tools\\VERROW_CNF";

// The repository's root, from this file's own path.
fs::path SourceRoot() { return fs::path(__FILE__).parent_path().parent_path().parent_path(); }

fs::path BadDir() {
    const char* data = std::getenv("VERROW_TEST_DATA");
    return (data ? fs::path(data) : SourceRoot() / "tests" / "data") / "bad";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(in) << path;
    return bytes;
}

class BadFilesTest : public ::testing::Test {
protected:
    BadFilesTest() {
        os.AddDirectory("E:\\tools");
        os.AddFile("E:\\apps\\a.exe", "MZ");
    }

    // Loads, checks every row and entry against the limits, and returns the rows by name
    // of their file.
    std::map<std::string, const LaunchEntry*> LoadAndCheck(const std::vector<std::string>& files) {
        store.LoadAllEntries(entries, sink);
        EXPECT_EQ(sink.fits, 1);
        EXPECT_EQ(sink.rows.size(), files.size());
        std::map<std::string, const LaunchEntry*> byFile;
        for (const test::Row& row : sink.rows) {
            const LaunchEntry* entry = entries.At(row.position);
            if (!entry) {
                ADD_FAILURE() << "row without entry: " << row.name;
                continue;
            }
            const std::string& path = entry->GetEntryFilePath();
            byFile[cp932::FoldCase(path.substr(path.rfind('\\') + 1))] = entry;
            EXPECT_EQ(row.name, entry->GetAppName());
            EXPECT_LE(row.name.size(), kNameReadLimit);
            EXPECT_EQ(row.pathText, "E:" + entry->GetAppPath());
            EXPECT_LE(entry->GetAppPath().size(), kTextReadLimit);
            EXPECT_LE(entry->GetCmdOpt().size(), kCmdOptReadLimit);
            EXPECT_LE(entry->GetCurrentDir().size(), kFolderReadLimit);
            EXPECT_EQ(row.image, entry->GetStartUp() ? 1 : 0);
            EXPECT_FALSE(entry->IsModified());
            for (const auto& variable : entry->GetEnvMap()) {
                EXPECT_FALSE(variable.first.empty());
                EXPECT_LE(variable.first.size(), kEnvNameReadLimit);
                EXPECT_LE(variable.second.size(), kEnvValueReadLimit);
                if (cp932::EqualsNoCase(variable.first, kDriveVariable)) {
                    EXPECT_EQ(variable.second, "E:");
                }
            }
        }
        return byFile;
    }

    // The end of a run that changed nothing: nothing written, deleted or created.
    void SaveUnchangedAndCheck() {
        std::map<std::string, std::string> before;
        for (const std::string& path : os.FilesIn(kFolder)) before[path] = os.FileBytes(path);
        os.log.clear();
        EXPECT_TRUE(store.SaveAllEntries(entries).empty());
        EXPECT_TRUE(entries.empty());
        for (const std::string& line : os.log) {
            EXPECT_NE(line.rfind("write", 0), 0u) << line;
            EXPECT_NE(line.rfind("delete", 0), 0u) << line;
            EXPECT_NE(line.rfind("mkdir", 0), 0u) << line;
        }
        for (const auto& file : before) EXPECT_EQ(os.FileBytes(file.first), file.second) << file.first;
        EXPECT_EQ(os.FilesIn(kFolder).size(), before.size());
    }

    test::FakeOs os;
    ScopedOs scope_{os};
    test::RowSink sink;
    EntryStore store{"E:\\tools\\", "E:"};
    EntryCollection entries;
};

TEST_F(BadFilesTest, EverySmallCorpusFileIsListedWithSaneValues) {
    os.AddDirectory(kFolder);
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(BadDir())) {
        if (item.path().extension() != ".vrc") continue;
        names.push_back(item.path().filename().string());
        os.AddFile(std::string(kFolder) + "\\" + names.back(), ReadBytes(item.path()));
    }
    ASSERT_GE(names.size(), 7u) << BadDir();
    auto byFile = LoadAndCheck(names);
    ASSERT_EQ(byFile.size(), names.size());

    // A value ends at a zero byte; so does a key name ("App\0Path" is the key "App").
    const LaunchEntry& nul = *byFile.at("nul-in-lines.vrc");
    EXPECT_EQ(nul.GetAppName(), "Before");
    EXPECT_EQ(nul.GetAppPath(), "\\apps\\a");
    EXPECT_EQ(nul.GetStartUp(), 1);
    std::vector<std::string> vars;
    nul.GetEnvNames(vars);
    EXPECT_EQ(vars, (std::vector<std::string>{"A", "C"}));

    // A '[' without ']' is no section; a second section of the same name is not read.
    EXPECT_EQ(byFile.at("only-brackets-and-equals.vrc")->GetAppName(), "Lost");
    EXPECT_TRUE(byFile.at("only-brackets-and-equals.vrc")->GetEnvMap().empty());
    const LaunchEntry& open = *byFile.at("section-without-bracket.vrc");
    EXPECT_EQ(open.GetAppName(), "");
    EXPECT_EQ(open.GetAppPath(), "\\apps\\a.exe");
    EXPECT_TRUE(open.GetEnvMap().empty());

    // CR alone ends lines; the drive variable holds the running drive, not the stored one.
    const LaunchEntry& cr = *byFile.at("cr-only-line-ends.vrc");
    EXPECT_EQ(cr.GetAppName(), "Old Mac");
    EXPECT_EQ(cr.GetUseCustomEnv(), 1);
    std::string value;
    cr.LookupEnv("_VERROW_DRV_", value);
    EXPECT_EQ(value, "E:");
    cr.LookupEnv("X", value);
    EXPECT_EQ(value, "%_VERROW_DRV_%\\x");

    // A lead byte takes the byte after it, a CR too; at the very end it stands alone.
    const LaunchEntry& lead = *byFile.at("lead-byte-at-end.vrc");
    EXPECT_EQ(lead.GetAppName(), "Name\x83\r");
    EXPECT_EQ(lead.GetAppPath(), "\\apps\\a.exe");
    lead.LookupEnv("L", value);
    EXPECT_EQ(value, "value\x83");

    // 5,000 bytes of a path are cut to 259, here to 258: the 259th byte is a lead byte.
    // A command line of as many is kept whole.
    const LaunchEntry& longPath = *byFile.at("long-apppath.vrc");
    EXPECT_EQ(longPath.GetAppPath().size(), 258u);
    EXPECT_EQ(longPath.GetAppPath().compare(0, 4, "\\a\x95\x5c"), 0);
    EXPECT_EQ(longPath.GetCmdOpt(), std::string(5000, '-'));

    SaveUnchangedAndCheck();
}

TEST_F(BadFilesTest, HugeListStyleIsHeldAndWrittenBackAsRead) {
    const std::string path = "E:\\tools\\verrow.ini";
    os.AddFile(path, ReadBytes(BadDir() / "liststyle-huge.ini"));
    ProgramSettings settings = ReadSettings(path);
    EXPECT_EQ(settings.StartOpen, 1);
    // Read as the platform reads it: decimal digits wrapping around at 32 bits.
    EXPECT_EQ(settings.ListStyle, static_cast<int>(99999999999LL % 4294967296LL));
    ASSERT_TRUE(WriteSettings(path, settings));
    EXPECT_EQ(ReadSettings(path).ListStyle, settings.ListStyle);
}

// The configuration folder's name taken by a file: nothing is listed and nothing is
// shown at start; at the end a new entry cannot be saved and is named, and the file
// stays as it was.
TEST_F(BadFilesTest, ConfigurationFolderThatIsAFile) {
    os.AddFile(kFolder, "not a folder");
    LoadAndCheck({});
    EXPECT_TRUE(os.messages.empty());
    auto added = std::make_unique<LaunchEntry>();
    added->SetAppName("new");
    entries.Append(std::move(added));
    EXPECT_EQ(store.SaveAllEntries(entries), std::vector<std::string>{"new"});
    EXPECT_TRUE(store.ConfigFolderGone());  // so the message says why
    EXPECT_EQ(os.FileBytes(kFolder), "not a folder");
    EXPECT_EQ(os.FilesIn("E:\\tools"), std::vector<std::string>{kFolder});
}

// An entry file's name taken by a folder: listed as an entry with defaults (every match
// of *.vrc counts); left alone when unchanged; named when a change cannot be written.
TEST_F(BadFilesTest, EntryFileThatIsAFolder) {
    os.AddDirectory(kFolder);
    os.AddDirectory(std::string(kFolder) + "\\dir.vrc");
    auto byFile = LoadAndCheck({"dir.vrc"});
    const LaunchEntry& entry = *byFile.at("dir.vrc");
    EXPECT_EQ(entry.GetAppName(), "");
    EXPECT_TRUE(entry.GetEnvMap().empty());
    SaveUnchangedAndCheck();

    EntryCollection again;
    test::RowSink sink2;
    store.LoadAllEntries(again, sink2);
    ASSERT_EQ(sink2.rows.size(), 1u);
    again.At(sink2.rows[0].position)->SetAppName("renamed");
    EXPECT_EQ(store.SaveAllEntries(again), std::vector<std::string>{"renamed"});
    EXPECT_TRUE(os.HasDirectory(std::string(kFolder) + "\\dir.vrc"));
    EXPECT_TRUE(os.FilesIn(kFolder).empty());
}

#ifndef _WIN32
// The large files, generated into the build directory at test time (next to the test
// program, or into VERROW_BAD_FILES_DIR).
fs::path LargeDir() {
    const char* dir = std::getenv("VERROW_BAD_FILES_DIR");
    fs::path out = dir ? fs::path(dir) : fs::read_symlink("/proc/self/exe").parent_path() / "bad-files";
    const std::string command = "python3 \"" + (SourceRoot() / "tools" / "make-bad-files.py").string() +
                                "\" \"" + out.string() + "\" >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct LargeCase {
    const char* file;
    std::size_t variables;  // what the entry holds once read
    std::size_t starts;     // start-up entries whose program is there
    // Generous: the native tests run unoptimised, and under ASan. Measured (debug build,
    // and under ASan): 50 MB in 2.6 s and 6 s, peak RSS growth 108 MB and 270 MB;
    // 100,000 variables in 3.5 s and 7 s, 38 MB and 92 MB; lines of 1 MB in 0.3 s, 11 MB.
    long maxMilliseconds;
    long maxGrowthMb;
};

// Shown in test listings by its file name rather than its bytes.
void PrintTo(const LargeCase& c, std::ostream* out) { *out << c.file; }

class LargeBadFilesTest : public BadFilesTest, public ::testing::WithParamInterface<LargeCase> {};

// Each file is loaded in a child process of its own, so that the peak that getrusage
// reports is this load's and not that of an earlier test. The child reports its
// failures on the shared output and by its exit status.
TEST_P(LargeBadFilesTest, LoadsAndStartsInBoundedTimeAndMemory) {
    const LargeCase& c = GetParam();
    const std::string bytes = ReadBytes(LargeDir() / c.file);
    ASSERT_GT(bytes.size(), 1u << 20);
    os.AddDirectory(kFolder);
    os.AddFile(std::string(kFolder) + "\\" + c.file, bytes);

    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long before = PeakRssKb();
        const auto start = std::chrono::steady_clock::now();
        auto byFile = LoadAndCheck({c.file});
        const long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start).count();
        const long growthMb = (PeakRssKb() - before) / 1024;
        std::printf("%s, %zu bytes: loaded and started in %ld ms, peak RSS growth %ld MB\n", c.file,
                    bytes.size(), ms, growthMb);
        EXPECT_EQ(byFile.at(c.file)->GetEnvMap().size(), c.variables);
        EXPECT_EQ(os.started.size(), c.starts);
        EXPECT_TRUE(os.messages.empty());
        EXPECT_LT(ms, c.maxMilliseconds);
        EXPECT_LT(growthMb, c.maxGrowthMb);
        os.started.clear();
        SaveUnchangedAndCheck();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the load failed; see above";
}

INSTANTIATE_TEST_SUITE_P(Generated, LargeBadFilesTest,
                         ::testing::Values(LargeCase{"big-50mb.vrc", 25785, 1, 30000, 384},
                                           LargeCase{"vars-100000.vrc", 100000, 1, 30000, 256},
                                           // its path, cut to 259 bytes, names nothing
                                           LargeCase{"key-line-1mb.vrc", 1, 0, 10000, 64}),
                         [](const ::testing::TestParamInfo<LargeCase>& info) {
                             std::string name;
                             for (const char* c = info.param.file; *c && *c != '.'; ++c) {
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             }
                             return name;
                         });
#endif

}  // namespace
}  // namespace verrow
