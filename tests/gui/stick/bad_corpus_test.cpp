// The bad-file corpus on a stick, loaded by the real program: it starts within a bounded
// time, lists what it can with sane texts, answers at once afterwards, keeps its memory
// bounded, and leaves every file it was given exactly as it was.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"
#include "tests/gui/stick/stick_support.h"

namespace verrow::gui::stick {
namespace {

#define VERROW_NEED_STICK() \
    if (StickFolder().empty()) GTEST_SKIP() << "needs the sticks of stick.sh"

const Drive kStick{"K"};
const char kQuietSettings[] = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";

std::string CorpusFolder() { return FromUnix(std::getenv("VERROW_TEST_DATA")) + "\\bad"; }
std::string LargeFilesFolder() { return FromUnix(std::getenv("VERROW_BAD_FILES")); }

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Answers within a second, several times across the timer's ticks, and the list answers.
void ExpectResponsive(const VerrowProcess& verrow, int rows) {
    long slowest = 0;
    for (int round = 0; round < 4; ++round) {
        long ms = RoundTripMs(verrow.Main(), 1000);
        EXPECT_GE(ms, 0) << "round " << round << ": no answer within a second";
        slowest = std::max(slowest, ms);
        EXPECT_EQ(verrow.List().Count(), rows);
        Sleep(400);
    }
    ::testing::Test::RecordProperty("slowest_answer_ms", static_cast<int>(slowest));
}

// Every row of the list: a name within the read limit, and the drive followed by a stored
// path within the path limit.
void ExpectSaneRows(const RemoteListView& list) {
    for (int item = 0; item < list.Count(); ++item) {
        SCOPED_TRACE(item);
        EXPECT_LE(list.Text(item, 0).size(), 1024u);
        std::string path = list.Text(item, 1);
        EXPECT_EQ(path.compare(0, 2, "K:"), 0) << path;
        EXPECT_LE(path.size(), 2u + 259u);
        int image = list.Image(item);
        EXPECT_TRUE(image == 0 || image == 1) << image;
    }
}

// The small files of the corpus, the settings file with ListStyle=99999999999 and a
// folder named like an entry file, all on one stick.
TEST(BadCorpus, SmallFilesAreListedAndLeftAsTheyWere) {
    VERROW_NEED_STICK();
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& name : FolderNames(CorpusFolder())) {
        if (EndsWith(name, ".vrc")) entries.emplace_back(name, ReadFileBytes(CorpusFolder() + "\\" + name));
    }
    ASSERT_GE(entries.size(), 7u) << CorpusFolder();
    const std::string settings = ReadFileBytes(CorpusFolder() + "\\liststyle-huge.ini");
    ASSERT_NE(settings.find("ListStyle=99999999999"), std::string::npos);
    LayOut(kStick, settings, entries);
    ASSERT_TRUE(CreateDirectoryW(Wide(kStick.Config() + "\\dir.vrc").c_str(), nullptr));
    // What the platform's own integer reading makes of the setting.
    const int platformListStyle =
        static_cast<int>(GetPrivateProfileIntA("Verrow", "ListStyle", 0, kStick.Settings().c_str()));
    EXPECT_EQ(platformListStyle, 1215752191);  // 99999999999 wrapped around at 32 bits
    const Picture before = PictureOf(kStick.Config());

    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kStick.Exe(), kStick.Tools())) << verrow.Error();
    EndChildren(verrow.Id(), "explorer.exe");  // StartOpen=1 in that settings file
    RemoteListView list = verrow.List();
    // Not 0, 1 or 2: the list keeps the icon view of its template.
    EXPECT_EQ(list.ViewType(), static_cast<DWORD>(LVS_ICON));

    const int rows = static_cast<int>(entries.size()) + 1;
    ASSERT_EQ(list.Count(), rows);
    ExpectSaneRows(list);
    std::map<std::string, std::string> pathByName;
    int folderRows = 0;
    for (int item = 0; item < rows; ++item) {
        pathByName[list.Text(item, 0)] = list.Text(item, 1);
        if (list.Text(item, 0).empty() && list.Text(item, 1) == "K:") ++folderRows;
    }
    EXPECT_EQ(pathByName["Before"], "K:\\apps\\a");  // a value ends at a zero byte
    EXPECT_EQ(pathByName["Lost"], "K:");
    EXPECT_EQ(pathByName["Old Mac"], "K:\\apps\\a.exe");  // lines ended by CR alone
    // 5,000 bytes cut to the path limit, before a double-byte character that would not fit.
    const std::string longPath = pathByName["Long path"];
    EXPECT_EQ(longPath.size(), 2u + 258u);
    EXPECT_EQ(longPath.compare(0, 6, "K:\\a\x95\x5c"), 0);
    EXPECT_EQ(folderRows, 2);  // dir.vrc, an entry with nothing in it, and random-bytes.vrc

    ExpectResponsive(verrow, rows);
    EXPECT_TRUE(verrow.OtherDialogs().empty());
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);  // nothing to tell: nothing was changed

    EXPECT_EQ(Differences(before, PictureOf(kStick.Config())), "");
    // The setting as read, written back with "%d".
    EXPECT_EQ(ReadFileBytes(kStick.Settings()), "[Verrow]\r\nStartOpen=1\r\nListStyle=1215752191\r\n");
    EXPECT_EQ(FolderNames(kStick.Tools()), (std::vector<std::string>{"VERROW_CNF", "Verrow.exe", "verrow.ini"}));
}

// The configuration folder's name taken by a file: nothing to list and nothing to say at
// the start; an added registration cannot be saved and is named; the file stays.
TEST(BadCorpus, ConfigurationFolderThatIsAFile) {
    VERROW_NEED_STICK();
    LayOut(kStick, kQuietSettings, {});
    RemoveTree(kStick.Config());
    ASSERT_TRUE(WriteFileBytes(kStick.Config(), "not a folder"));

    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kStick.Exe(), kStick.Tools())) << verrow.Error();
    RemoteListView list = verrow.List();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(AddThroughEditor(verrow, "新しい", "K:\\apps\\a.exe"), "");
    EXPECT_EQ(list.Count(), 1);

    verrow.Close(CloseWay::kEscape);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VerrowProcess::MessageText(box), std::string(kEntriesNotSaved) + "\n\n新しい\n\n設定フォルダが見つかりません。\n\n" + kCheckTheDrive);
    VerrowProcess::Answer(box, IDOK);
    EXPECT_EQ(verrow.WaitForExit(), 0u);

    EXPECT_EQ(ReadFileBytes(kStick.Config()), "not a folder");
    EXPECT_EQ(FolderNames(kStick.Tools()), (std::vector<std::string>{"VERROW_CNF", "Verrow.exe", "verrow.ini"}));
}

// A folder named like an entry file: listed as an empty registration, left alone while
// unchanged, and named at the end when a change to it cannot be written.
TEST(BadCorpus, FolderNamedLikeAnEntryFileCannotTakeAChange) {
    VERROW_NEED_STICK();
    const std::string normal = EntryFile("ふつう", "\\apps\\a.exe");
    LayOut(kStick, kQuietSettings, {{"a.vrc", normal}});
    ASSERT_TRUE(CreateDirectoryW(Wide(kStick.Config() + "\\dir.vrc").c_str(), nullptr));

    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kStick.Exe(), kStick.Tools())) << verrow.Error();
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), 2);
    int folderRow = list.Text(0, 0).empty() ? 0 : 1;
    EXPECT_EQ(list.Text(folderRow, 1), "K:");
    EXPECT_EQ(list.Text(1 - folderRow, 0), "ふつう");

    ASSERT_TRUE(list.Select(folderRow));
    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_NAME, "フォルダ");
    Type(editor, IDC_PATH, "K:\\apps");
    ASSERT_TRUE(EndEditor(verrow, editor));
    EXPECT_EQ(list.Text(folderRow, 0), "フォルダ");

    verrow.Close(CloseWay::kEscape);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VerrowProcess::MessageText(box), std::string(kEntriesNotSaved) + "\n\nフォルダ\n\n" + kCheckTheDrive);
    VerrowProcess::Answer(box, IDOK);
    EXPECT_EQ(verrow.WaitForExit(), 0u);

    EXPECT_EQ(FolderNames(kStick.Config()), (std::vector<std::string>{"a.vrc", "dir.vrc"}));
    EXPECT_TRUE(FolderNames(kStick.Config() + "\\dir.vrc").empty());
    EXPECT_EQ(ReadFileBytes(kStick.Config() + "\\a.vrc"), normal);
}

// --- The large files, each alone on the stick.

struct LargeCase {
    const char* file;
    const char* name;  // the registration's name
    std::string path;  // as the list shows it
    bool starts;       // its start-up program is there and is started
    DWORD maxStartMs;  // from the process's creation to its window
    double maxPeakMb;  // peak working set of the whole process
};

std::ostream& operator<<(std::ostream& out, const LargeCase& c) { return out << c.file; }

class LargeCorpus : public ::testing::TestWithParam<LargeCase> {
protected:
    // The peak of a run with nothing to load, for comparison; measured once.
    static double EmptyPeakMb() {
        static double peak = -1;
        if (peak >= 0) return peak;
        LayOut(kStick, kQuietSettings, {});
        VerrowProcess verrow;
        if (!verrow.Start(kStick.Exe(), kStick.Tools())) return 0;
        Sleep(1200);
        peak = Megabytes(PeakWorkingSet(verrow.Process()));
        verrow.Close(CloseWay::kEscape);
        verrow.WaitForExit();
        return peak;
    }
};

TEST_P(LargeCorpus, StartsInBoundedTimeAndMemoryAndChangesNothing) {
    VERROW_NEED_STICK();
    const LargeCase& c = GetParam();
    const double emptyPeak = EmptyPeakMb();
    const std::string source = LargeFilesFolder() + "\\" + c.file;
    const std::string bytes = ReadFileBytes(source);
    ASSERT_GT(bytes.size(), 1u << 20) << source;
    LayOut(kStick, kQuietSettings, {{c.file, bytes}});
    const Picture before = PictureOf(kStick.Config());

    VerrowProcess verrow;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(verrow.Start(kStick.Exe(), kStick.Tools(), 120000)) << verrow.Error();
    const DWORD startMs = GetTickCount() - started;
    RemoteListView list = verrow.List();
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Text(0, 0), c.name);
    EXPECT_EQ(list.Text(0, 1), c.path);
    EXPECT_EQ(list.Image(0), 1);  // a start-up entry
    if (c.starts) {
        EXPECT_TRUE(WaitForFile(kStick.StampOut())) << "the start-up program did not start";
    } else {
        // Start-up entries start before the window shows: nothing was.
        EXPECT_TRUE(ChildProcesses(verrow.Id()).empty());
    }
    ExpectResponsive(verrow, 1);
    const double peak = Megabytes(PeakWorkingSet(verrow.Process()));
    std::printf("%s (%zu bytes): window after %lu ms; peak working set %.1f MB (%.1f MB with nothing to load)\n",
                c.file, bytes.size(), static_cast<unsigned long>(startMs), peak, emptyPeak);
    RecordProperty("start_ms", static_cast<int>(startMs));
    RecordProperty("peak_working_set_kb", static_cast<int>(peak * 1024));
    EXPECT_GT(peak, 0.0);
    EXPECT_LT(peak, c.maxPeakMb);
    EXPECT_LT(startMs, c.maxStartMs);

    EXPECT_TRUE(verrow.OtherDialogs().empty());
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(30000), 0u);
    EXPECT_EQ(Differences(before, PictureOf(kStick.Config())), "");
    EXPECT_EQ(ReadFileBytes(kStick.Settings()), kQuietSettings);
}

// Measured under wine on a 2-core machine: with nothing to load the program peaks at
// 25 MB; the 50 MB file shows its window after 0.6 s at a peak of 143 MB (the file's bytes
// and the registration's 25,785 values of 2,000 bytes); 100,000 variables, composed into
// the start-up program's environment, after 0.9 s at 49 MB; lines of 1 MB after 0.2 s at
// 31 MB. The bounds leave room for a loaded machine, not for a copy more of the file.
INSTANTIATE_TEST_SUITE_P(
    Generated, LargeCorpus,
    ::testing::Values(LargeCase{"big-50mb.vrc", "Big 50 MB", "K:\\apps\\a.exe", true, 15000, 200},
                      LargeCase{"vars-100000.vrc", "100000 variables", "K:\\apps\\a.exe", true, 15000, 100},
                      // its path of 1 MB, cut to 259 bytes, names nothing
                      LargeCase{"key-line-1mb.vrc", "Long lines", "K:\\" + std::string(258, 'p'), false, 15000, 64}),
    [](const ::testing::TestParamInfo<LargeCase>& info) {
        std::string name;
        for (const char* p = info.param.file; *p && *p != '.'; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

}  // namespace
}  // namespace verrow::gui::stick
