#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/launch_entry.h"
#include "tests/support/fake_os.h"

namespace verrow {
namespace {

#define PO "\x83\x7C"
#define HYO "\x95\x5C"

constexpr char kFile[] = "E:\\tools\\VERROW_CNF\\a.vrc";

class LaunchEntryTest : public ::testing::Test {
protected:
    LaunchEntryTest() { os.AddDirectory("E:\\tools\\VERROW_CNF"); }

    // An entry file with the given body lines under [MoxEnvExec] and [MoxEnvExec_Env].
    void File(const std::string& main, const std::string& env = "") {
        os.AddFile(kFile, "[MoxEnvExec]\r\n" + main + "[MoxEnvExec_Env]\r\n" + env);
    }

    std::vector<std::string> Names(const LaunchEntry& entry) {
        std::vector<std::string> names{"stale"};
        entry.GetEnvNames(names);
        return names;
    }

    std::string Env(const LaunchEntry& entry, const std::string& name) {
        std::string value = "<none>";
        entry.LookupEnv(name, value);
        return value;
    }

    test::FakeOs os;
    ScopedOs scope{os};
};

TEST_F(LaunchEntryTest, WritesTheKeysInTheirFixedOrderAndFormat) {
    LaunchEntry entry;
    entry.SetAppName("Editor");
    entry.SetAppPath("\\tools\\edit\\edit.exe");
    entry.SetStartUp(0);
    entry.SetUseCustomEnv(5);
    entry.SetOverWriteEnv(-1);
    entry.SetEnv("_VERROW_DRV_", "E:");
    EXPECT_TRUE(entry.SaveToFile(kFile));
    EXPECT_EQ(os.FileBytes(kFile),
              "[MoxEnvExec]\r\nAppName=Editor\r\nAppPath=\\tools\\edit\\edit.exe\r\nCmdOpt=\r\n"
              "CurrentDir=\r\nUseCustomEnv=1\r\nOverWriteEnv=1\r\nStartUp=0\r\n"
              "[MoxEnvExec_Env]\r\nENV0000_Key=_VERROW_DRV_\r\nENV0000_Val=E:\r\n");
    EXPECT_FALSE(entry.IsModified());
    EXPECT_EQ(entry.GetEntryFilePath(), "");  // saving elsewhere does not move the entry

    LaunchEntry none;
    none.SetAppName("x");
    EXPECT_TRUE(none.SaveToFile(kFile));
    EXPECT_EQ(os.FileBytes(kFile).find("MoxEnvExec_Env"), std::string::npos);
}

TEST_F(LaunchEntryTest, AFileWrittenAndReadBackKeepsEverything) {
    LaunchEntry entry;
    entry.SetAppName("エディタ " HYO);
    entry.SetAppPath("\\" HYO "\\edit.exe");
    entry.SetStartUp(1);
    entry.SetUseCustomEnv(1);
    entry.SetOverWriteEnv(0);
    const std::vector<std::string> names = {"Zeta", "alpha", "ALPHA", "_VERROW_DRV_", "X" PO};
    for (std::size_t i = 0; i < names.size(); ++i) {
        entry.SetEnv(names[i], "v" + std::to_string(i) + "|" PO "%Zeta%");
    }
    for (int i = 0; i < 12; ++i) entry.SetEnv("N" + std::to_string(i), std::to_string(i));
    ASSERT_TRUE(entry.SaveToFile(kFile));
    const std::string written = os.FileBytes(kFile);
    EXPECT_NE(written.find("ENV0011_Key=N6\r\n"), std::string::npos);
    EXPECT_NE(written.find("ENV0016_Val=11\r\n"), std::string::npos);

    LaunchEntry back;
    ASSERT_TRUE(back.LoadFromFile(kFile));
    EXPECT_FALSE(back.IsModified());
    EXPECT_EQ(back.GetEntryFilePath(), kFile);
    EXPECT_EQ(back.GetAppName(), "エディタ " HYO);
    EXPECT_EQ(back.GetAppPath(), "\\" HYO "\\edit.exe");
    EXPECT_EQ(back.GetStartUp(), 1);
    EXPECT_EQ(back.GetUseCustomEnv(), 1);
    EXPECT_EQ(back.GetOverWriteEnv(), 0);
    std::vector<std::string> expected;
    entry.GetEnvNames(expected);
    EXPECT_EQ(Names(back), expected);
    EXPECT_EQ(Env(back, "ALPHA"), "v2|" PO "%Zeta%");
    EXPECT_EQ(Env(back, "_VERROW_DRV_"), "v3|" PO "%Zeta%");  // no filter installed

    back.SetStartUp(1);  // modified, same content: the same bytes again
    ASSERT_TRUE(back.SaveToFile());
    EXPECT_EQ(os.FileBytes(kFile), written);
}

TEST_F(LaunchEntryTest, ReadingStopsAtTheFirstMissingOrEmptyName) {
    File("UseCustomEnv=2\r\nStartUp=abc\r\nOverWriteEnv=-3\r\nUnknown=1\r\n",
         "ENV0000_Key=A\r\nENV0000_Val=1\r\nENV0001_Key=B\r\nENV0002_Key=A\r\nENV0002_Val=2\r\n"
         "ENV0004_Key=Late\r\nENV0004_Val=x\r\n");
    LaunchEntry entry;
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Names(entry), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Env(entry, "A"), "2");  // the later pair wins
    EXPECT_EQ(Env(entry, "B"), "");   // a name without a value
    EXPECT_EQ(Env(entry, "Late"), "<none>");
    EXPECT_EQ(entry.GetUseCustomEnv(), 2);
    EXPECT_EQ(entry.GetStartUp(), 0);
    EXPECT_EQ(entry.GetOverWriteEnv(), -3);

    File("", "ENV0000_Key=A\r\nENV0000_Val=1\r\nENV0001_Key=\r\nENV0001_Val=v\r\nENV0002_Key=C\r\n");
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Names(entry), std::vector<std::string>{"A"});

    // Rewritten: flags as "1"/"0", unknown keys and later pairs gone.
    entry.SetAppName("n");
    ASSERT_TRUE(entry.SaveToFile());
    EXPECT_EQ(os.FileBytes(kFile),
              "[MoxEnvExec]\r\nAppName=n\r\nAppPath=\r\nCmdOpt=\r\nCurrentDir=\r\nUseCustomEnv=0\r\n"
              "OverWriteEnv=0\r\nStartUp=0\r\n[MoxEnvExec_Env]\r\nENV0000_Key=A\r\nENV0000_Val=1\r\n");

    // A name of a lone lead byte at the end of a damaged file cannot be written: it is
    // left out, not written empty with the pairs after it lost at the next reading.
    File("", "ENV0000_Key=A\r\nENV0000_Val=1\r\nENV0002_Key=B\r\nENV0002_Val=2\r\nENV0001_Key=\x81");
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    ASSERT_EQ(Names(entry), (std::vector<std::string>{"A", "\x81", "B"}));
    entry.SetAppName("n");
    ASSERT_TRUE(entry.SaveToFile());
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Names(entry), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Env(entry, "B"), "2");
}

TEST_F(LaunchEntryTest, VariableKeysMatchOnlyTheirFormattedNamesInAnyLetterCase) {
    File("", "env0000_key=a\r\nEnv0000_VAL=1\r\n ENV0001_Key = b \r\nENV0001_Val=\"2\"\r\n"
             "ENV0002_Key=c\r\nENV0002_KEY=late\r\nENV0002_Val=3\r\n"
             "ENV00003_Key=five digits\r\nENV3_Key=one digit\r\nENV003_Key=three\r\nENV0003-Key=x\r\n"
             "ENV0003_Keys=x\r\nENV000a_Key=x\r\n"
             "[Other]\r\nENV0003_Key=elsewhere\r\n");
    LaunchEntry entry;
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Names(entry), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(Env(entry, "a"), "1");
    EXPECT_EQ(Env(entry, "b"), "2");
    EXPECT_EQ(Env(entry, "c"), "3");

    // From 10000 on the number has five digits, without a leading zero.
    std::string env;
    for (int i = 0; i <= 10001; ++i) {
        std::string number = std::to_string(i);
        if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
        if (i == 10001) number = "010001";
        env += "ENV" + number + "_Key=V" + std::to_string(i) + "\r\nENV" + number + "_Val=" + std::to_string(i) + "\r\n";
    }
    File("", env);
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(entry.GetEnvMap().size(), 10001u);
    EXPECT_EQ(Env(entry, "V10000"), "10000");
    EXPECT_EQ(Env(entry, "V10001"), "<none>");
}

TEST_F(LaunchEntryTest, LongTextsAreCutToTheReadLimits) {
    const std::string wide = "\x83\x41";
    std::string wideValue;
    for (int i = 0; i < 13000; ++i) wideValue += wide;  // 26000 bytes
    File("AppName=" + std::string(1100, 'n') + "\r\nAppPath=" + std::string(300, 'p') +
             "\r\nCmdOpt=" + std::string(70000, 'c') + "\r\nCurrentDir=x" + wideValue + "\r\n",
         "ENV0000_Key=" + std::string(300, 'k') + "\r\nENV0000_Val=" + std::string(30000, 'v') +
             "\r\nENV0001_Key=W\r\nENV0001_Val=" + wideValue + "\r\n");
    LaunchEntry entry;
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(entry.GetAppName(), std::string(1024, 'n'));
    EXPECT_EQ(entry.GetAppPath(), std::string(259, 'p'));
    EXPECT_EQ(entry.GetCmdOpt(), std::string(65532, 'c'));
    EXPECT_EQ(entry.GetCurrentDir(), "x" + wideValue.substr(0, 516));  // 259 characters at most
    EXPECT_EQ(Env(entry, std::string(259, 'k')), std::string(25999, 'v'));
    EXPECT_EQ(Env(entry, "W"), wideValue.substr(0, 25998));  // no half character
}

TEST_F(LaunchEntryTest, TheDriveVariableHoldsTheExecutablesDrive) {
    File("", "ENV0000_Key=_verrow_Drv_\r\nENV0000_Val=Q:\r\nENV0001_Key=OTHER\r\nENV0001_Val=Q:\r\n"
             "ENV0002_Key=_VERROW_DRV_\r\nENV0002_Val=\r\n");
    os.moduleFileName = "V:\\tools\\Verrow.exe";
    LaunchEntry entry;
    entry.SetValueFilter(DriveValueFilter);
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    // The variables are those of the file and the drive when it was read, however late
    // they are first used.
    os.moduleFileName = "W:\\tools\\Verrow.exe";
    File("", "ENV0000_Key=B\r\nENV0000_Val=2\r\n");
    EXPECT_EQ(Env(entry, "_verrow_Drv_"), "V:");
    EXPECT_EQ(Env(entry, "_VERROW_DRV_"), "V:");
    EXPECT_EQ(Env(entry, "OTHER"), "Q:");

    os.moduleFileName = "\\\\server\\share\\Verrow.exe";
    File("", "ENV0000_Key=_verrow_Drv_\r\nENV0000_Val=Q:\r\nENV0001_Key=OTHER\r\nENV0001_Val=Q:\r\n"
             "ENV0002_Key=_VERROW_DRV_\r\nENV0002_Val=\r\n");
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Env(entry, "_VERROW_DRV_"), "");

    File("", "ENV0000_Key=A\r\nENV0000_Val=1\r\n");
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    EXPECT_EQ(Names(entry), std::vector<std::string>{"A"});
}

TEST_F(LaunchEntryTest, OnlyAModifiedEntryIsWritten) {
    LaunchEntry fresh;
    EXPECT_FALSE(fresh.IsModified());
    EXPECT_TRUE(fresh.SaveToFile(kFile));  // not modified: nothing written
    EXPECT_FALSE(os.HasFile(kFile));
    fresh.SetEnv("A", "1");
    EXPECT_FALSE(fresh.SaveToFile());  // no target
    EXPECT_FALSE(fresh.SaveToFile(""));
    EXPECT_TRUE(fresh.IsModified());
    EXPECT_FALSE(fresh.LoadFromFile(nullptr));
    EXPECT_TRUE(fresh.IsModified());

    File("AppName=Old\r\n");
    LaunchEntry entry;
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    const std::size_t writes = os.log.size();
    EXPECT_TRUE(entry.SaveToFile());
    EXPECT_TRUE(entry.SaveToFile("E:\\tools\\VERROW_CNF\\b.vrc"));
    ASSERT_TRUE(os.DeleteFile(kFile));
    EXPECT_TRUE(entry.SaveToFile());
    EXPECT_FALSE(os.HasFile(kFile));  // a deleted file stays deleted
    EXPECT_EQ(os.log.size(), writes + 1);  // only the deletion above

    // Each setter marks the entry, and what it changed is written (not taken for an EDIT
    // that changed nothing); LoadFromFile clears the mark.
    using Change = void (*)(LaunchEntry&);
    for (Change change : std::vector<Change>{
             [](LaunchEntry& e) { e.SetAppName("n"); }, [](LaunchEntry& e) { e.SetAppPath("p"); },
             [](LaunchEntry& e) { e.SetStartUp(1); }, [](LaunchEntry& e) { e.SetUseCustomEnv(1); },
             [](LaunchEntry& e) { e.SetOverWriteEnv(1); }, [](LaunchEntry& e) { e.SetEnv("A", ""); },
             [](LaunchEntry& e) { e.SetEnv("B", "3"); }, [](LaunchEntry& e) { e.ClearEnv(); }}) {
        File("AppName=Old\r\nStartUp=0\r\n", "ENV0000_Key=B\r\nENV0000_Val=2\r\n");
        const std::string before = os.FileBytes(kFile);
        ASSERT_TRUE(entry.LoadFromFile(kFile));
        EXPECT_FALSE(entry.IsModified());
        change(entry);
        EXPECT_TRUE(entry.IsModified());
        EXPECT_TRUE(entry.SaveToFile());
        EXPECT_NE(os.FileBytes(kFile), before);
    }
    // A missing file reads as an empty entry.
    entry.LoadFromFile("E:\\missing.vrc");
    EXPECT_EQ(entry.GetAppName(), "");
    EXPECT_EQ(entry.GetEntryFilePath(), "E:\\missing.vrc");
    EXPECT_EQ(Names(entry), std::vector<std::string>{});
}

TEST_F(LaunchEntryTest, AFailedWriteKeepsTheOldFileAndTheMark) {
    File("AppName=Old\r\nStray=1\r\n");
    LaunchEntry entry;
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    entry.SetAppName("New");
    const std::string before = os.FileBytes(kFile);
    os.failWrite = [](const std::string&) { return true; };
    EXPECT_FALSE(entry.SaveToFile());
    EXPECT_TRUE(entry.IsModified());
    EXPECT_EQ(os.FileBytes(kFile), before);
    os.failWrite = nullptr;
    EXPECT_TRUE(entry.SaveToFile());
    EXPECT_FALSE(entry.IsModified());
    EXPECT_EQ(os.FileBytes(kFile).find("Stray"), std::string::npos);
    EXPECT_NE(os.FileBytes(kFile).find("AppName=New\r\n"), std::string::npos);
}

TEST_F(LaunchEntryTest, TenThousandVariablesLoadInMilliseconds) {
    std::string env;
    for (int i = 0; i < 10000; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, 4 - std::min<std::size_t>(4, number.size()), '0');
        env += "ENV" + number + "_Key=NAME" + std::to_string(i) + "\r\n";
        env += "ENV" + number + "_Val=%NAME" + std::to_string(i + 1) + "%;C:\\bin\r\n";
    }
    // And 16384 keys that differ only in '@' and '`', which a fold of every byte would
    // give one hash: each key would be compared with all before it.
    for (int i = 0; i < 16384; ++i) {
        for (int bit = 0; bit < 14; ++bit) env += (i >> bit) & 1 ? '`' : '@';
        env += "=1\r\n";
    }
    File("AppName=many\r\n", env);
    LaunchEntry entry;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(entry.LoadFromFile(kFile));
    auto elapsed = std::chrono::steady_clock::now() - start;
    std::vector<std::string> names;
    entry.GetEnvNames(names);
    ASSERT_EQ(names.size(), 10000u);
    EXPECT_EQ(names[9999], "NAME9999");
    EXPECT_EQ(Env(entry, "NAME9999"), "%NAME10000%;C:\\bin");
    // About 20 ms optimised, around 100 ms unoptimised and more under the sanitizers; one
    // pass over the file per key would take minutes.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
    RecordProperty("load_ms", static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

}  // namespace
}  // namespace verrow
