// Faults at the end of a run of the real program: a write-protected stick, a configuration
// folder removed while the program runs, the whole drive gone, a full disk. In each case
// every file that was on the stick is as it was (or correctly replaced), no temporary
// file is left, the program does not crash, and it says once what it could not save.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"
#include "tests/gui/stick/stick_support.h"

namespace verrow::gui::stick {
namespace {

#define VERROW_NEED_STICK() \
    if (StickFolder().empty()) GTEST_SKIP() << "needs the sticks of stick.sh"
#define VERROW_NEED_MOUNTS()  \
    VERROW_NEED_STICK();      \
    if (!MountsAvailable()) GTEST_SKIP() << "needs the mounts of stick.sh (root)"

const char kSettings[] = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";

std::string Message(const std::vector<std::string>& entries, bool settings, bool folderGone = false) {
    std::string text;
    if (!entries.empty()) {
        text = std::string(kEntriesNotSaved) + "\n";
        for (const std::string& name : entries) text += "\n" + name;
        text += "\n\n";
        if (folderGone) text += "設定フォルダが見つかりません。\n\n";
    }
    if (settings) text += std::string(kSettingsNotSaved) + "\n\n";
    return text + kCheckTheDrive;
}

// The row of the entry named `name`, or -1.
int RowNamed(const RemoteListView& list, const std::string& name) {
    for (int item = 0; item < list.Count(); ++item) {
        if (list.Text(item, 0) == name) return item;
    }
    return -1;
}

// EDIT on the row named `from`, giving it the name `to`.
void Rename(const VerrowProcess& verrow, const std::string& from, const std::string& to) {
    RemoteListView list = verrow.List();
    int item = RowNamed(list, from);
    ASSERT_GE(item, 0) << from;
    ASSERT_TRUE(list.Select(item));
    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    Type(editor, IDC_NAME, to);
    ASSERT_TRUE(EndEditor(verrow, editor));
    ASSERT_EQ(list.Text(item, 0), to);
}

// Closes the program and expects exactly one message, `text`, after its window has gone;
// the program ends once it is answered.
void CloseExpectingOneMessage(VerrowProcess& verrow, const std::string& text) {
    verrow.Close(CloseWay::kEscape);
    HWND box = verrow.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_FALSE(IsWindow(verrow.Main()));
    EXPECT_EQ(WindowText(box), "Verrow");
    EXPECT_EQ(VerrowProcess::MessageText(box), text);
    VerrowProcess::Answer(box, IDOK);
    // A second message would hold the program open.
    EXPECT_EQ(verrow.WaitForExit(), 0u);
}

bool HasTemporaryName(const Picture& picture) {
    for (const auto& [name, bytes] : picture) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".tmp") == 0) return true;
    }
    return false;
}

// --- A write-protected stick (R:, a read-only mount laid out by stick.sh).

const Drive kReadOnly{"R"};

TEST(EndFaults, WriteProtectedStickUntouchedClosesWithoutAMessage) {
    VERROW_NEED_MOUNTS();
    const Picture before = PictureOf(kReadOnly.Root());
    ASSERT_EQ(before.count("tools\\VERROW_CNF\\keep.vrc"), 1u);
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kReadOnly.Exe(), kReadOnly.Tools())) << verrow.Error();
    EXPECT_EQ(verrow.List().Count(), 2);
    // Nothing edited, and the settings file already holds what the end would write:
    // nothing is lost, so nothing is said (a message would hold the program open).
    verrow.Close(CloseWay::kEscape);
    EXPECT_EQ(verrow.WaitForExit(), 0u);
    EXPECT_EQ(Differences(before, PictureOf(kReadOnly.Root())), "");
}

TEST(EndFaults, WriteProtectedStickWithAnEditAndAnAdditionNamesThemAll) {
    VERROW_NEED_MOUNTS();
    const Picture before = PictureOf(kReadOnly.Root());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kReadOnly.Exe(), kReadOnly.Tools())) << verrow.Error();
    ASSERT_NO_FATAL_FAILURE(Rename(verrow, "edit me", "変えた"));
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "R:\\apps\\a.exe"), "");
    EXPECT_EQ(verrow.List().Count(), 3);
    CloseExpectingOneMessage(verrow, Message({"変えた", "足した"}, false));
    EXPECT_EQ(Differences(before, PictureOf(kReadOnly.Root())), "");
}

// --- The configuration folder removed while the program runs (K:).

const Drive kPlain{"K"};

TEST(EndFaults, ConfigurationFolderRemovedWhileRunning) {
    VERROW_NEED_STICK();
    LayOut(kPlain, kSettings, {{"a.vrc", EntryFile("first", "\\apps\\a.exe")},
                               {"b.vrc", EntryFile("second", "\\apps")}});
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kPlain.Exe(), kPlain.Tools())) << verrow.Error();
    ASSERT_NO_FATAL_FAILURE(Rename(verrow, "first", "一番"));
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "K:\\apps\\a.exe"), "");

    RemoveTree(kPlain.Config());
    ASSERT_FALSE(FileExists(kPlain.Config()));
    ASSERT_GE(RoundTripMs(verrow.Main()), 0);
    // DEL keeps a registration whose file cannot be deleted, and says why.
    RemoteListView list = verrow.List();
    ASSERT_TRUE(list.Select(RowNamed(list, "second")));
    verrow.Click(IDC_DEL);
    EXPECT_EQ(AnswerMessage(verrow, IDOK), kConfirmDeleteText);
    EXPECT_EQ(AnswerMessage(verrow, IDOK),
              "登録ファイルを削除できなかったため、登録を解除しませんでした。\n\n" + kPlain.Config() +
                  "\\b.vrc\n\n設定フォルダが見つかりません。\n\n"
                  "ドライブが書き込み禁止になっていないか、取り外されていないか、"
                  "ファイルが読み取り専用や使用中になっていないかを確認してください。");
    EXPECT_GE(RowNamed(list, "second"), 0);
    // The settings still go next to the program; the two changed registrations had their
    // home in the folder and are named, with the reason.
    CloseExpectingOneMessage(verrow, Message({"一番", "足した"}, false, true));
    EXPECT_EQ(ReadFileBytes(kPlain.Settings()), kSettings);
    // Not made again behind the user's back, and no temporary file anywhere.
    EXPECT_EQ(FolderNames(kPlain.Tools()), (std::vector<std::string>{"Verrow.exe", "verrow.ini"}));
}

// --- The drive's folder gone while the program runs (K: renamed away), as when the
// stick is pulled out.

// Takes the folder behind K: away and always brings it back.
class DriveAway {
public:
    DriveAway() : here_(StickFolder() + "\\plain"), away_(StickFolder() + "\\plain-away") {
        gone_ = MoveFileW(Wide(here_).c_str(), Wide(away_).c_str()) != 0;
    }
    ~DriveAway() { Back(); }
    DriveAway(const DriveAway&) = delete;
    DriveAway& operator=(const DriveAway&) = delete;
    bool Gone() const { return gone_; }
    bool Back() {
        if (gone_ && MoveFileW(Wide(away_).c_str(), Wide(here_).c_str())) gone_ = false;
        return !gone_;
    }

private:
    std::string here_, away_;
    bool gone_ = false;
};

TEST(EndFaults, DriveGoneWhileRunningKeepsTheBarAndLosesNothingThatWasThere) {
    VERROW_NEED_STICK();
    LayOut(kPlain, kSettings, {{"a.vrc", EntryFile("first", "\\apps\\a.exe")}});
    const Picture before = PictureOf(kPlain.Root());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kPlain.Exe(), kPlain.Tools())) << verrow.Error();
    ASSERT_NO_FATAL_FAILURE(Rename(verrow, "first", "一番"));
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "K:\\apps\\a.exe"), "");

    HWND bar = verrow.Control(IDC_FREE_SPACE);
    const int high = verrow.BarHigh();
    const int posBefore = verrow.BarPos();
    ASSERT_GT(high, 0);
    {
        DriveAway away;
        ASSERT_TRUE(away.Gone());
        ULARGE_INTEGER available{}, total{}, free{};
        EXPECT_FALSE(GetDiskFreeSpaceExW(L"K:\\", &available, &total, &free));
        // After a tick that could not ask, the figures of the last one that could; others
        // write to the same disk meanwhile, so the free amount may have moved a little.
        Sleep(1200);
        const std::string label = WindowText(bar);
        const int pos = verrow.BarPos();
        EXPECT_FALSE(label.empty());
        EXPECT_EQ(verrow.BarHigh(), high);
        EXPECT_NEAR(pos, posBefore, 64);
        Sleep(2300);  // two more ticks: nothing moves
        EXPECT_EQ(WindowText(bar), label);
        EXPECT_EQ(verrow.BarLow(), 0);
        EXPECT_EQ(verrow.BarHigh(), high);
        EXPECT_EQ(verrow.BarPos(), pos);
        EXPECT_GE(RoundTripMs(verrow.Main()), 0);
        // Everything the end of the run writes is lost, and said so; the settings, not
        // changed in this run, lose nothing.
        CloseExpectingOneMessage(verrow, Message({"一番", "足した"}, false, true));
        ASSERT_TRUE(away.Back());
    }
    // Put back: as it was, and nothing written into it meanwhile.
    EXPECT_EQ(Differences(before, PictureOf(kPlain.Root())), "");
}

// --- A full disk (T:, a 2 MB tmpfs), filled up while the program runs.

const Drive kSmall{"T"};

TEST(EndFaults, FullDiskKeepsTheOldFilesWholeAndLeavesNoTemporaryFile) {
    VERROW_NEED_MOUNTS();
    // A key more than the end writes, and another view chosen: the settings file has to
    // be written too.
    LayOut(kSmall, std::string(kSettings) + "More=1\r\n",
           {{"a.vrc", EntryFile("first", "\\apps\\a.exe")}, {"b.vrc", EntryFile("second", "\\apps")}});
    const Picture before = PictureOf(kSmall.Root());
    VerrowProcess verrow;
    ASSERT_TRUE(verrow.Start(kSmall.Exe(), kSmall.Tools())) << verrow.Error();
    ASSERT_TRUE(ChooseListStyle(verrow, 0));
    ASSERT_NO_FATAL_FAILURE(Rename(verrow, "first", "一番"));
    EXPECT_EQ(AddThroughEditor(verrow, "足した", "T:\\apps\\a.exe"), "");

    const std::string filler = kSmall.Root() + "filler.bin";
    struct RemoveFiller {
        std::string path;
        ~RemoveFiller() { DeleteFileW(Wide(path).c_str()); }
    } removeFiller{filler};
    EXPECT_GT(FillDisk(filler), 0u);
    // The bar follows: no whole mebibyte free.
    EXPECT_TRUE(WaitUntil([&] { return verrow.BarPos() == 0; }));
    EXPECT_GT(verrow.BarHigh(), 0);

    CloseExpectingOneMessage(verrow, Message({"一番", "足した"}, true));
    Picture after = PictureOf(kSmall.Root());
    EXPECT_FALSE(HasTemporaryName(after));
    ASSERT_EQ(after.erase("filler.bin"), 1u);
    EXPECT_EQ(Differences(before, after), "");
}

}  // namespace
}  // namespace verrow::gui::stick
