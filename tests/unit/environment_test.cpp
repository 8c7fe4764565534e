#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "core/environment.h"
#include "core/launch_entry.h"
#include "tests/support/fake_os.h"
#include "tests/support/literal_expansion.h"

namespace verrow {
namespace {

#define PO "\x83\x7C"
#define HYO "\x95\x5C"

// The strings of a block, and whether it ends with the two extra zero bytes.
std::vector<std::string> Strings(const std::string& block) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < block.size() && block[pos] != '\0') {
        std::size_t end = block.find('\0', pos);
        out.push_back(block.substr(pos, end - pos));
        pos = end + 1;
    }
    EXPECT_EQ(block.size() - pos, 2u) << "two zero bytes after the last string";
    return out;
}

class EnvironmentTest : public ::testing::Test {
protected:
    std::string Block(LaunchEntry& entry) {
        std::size_t size = entry.BuildEnvironmentBlock(nullptr, 0);
        std::string buffer(size + 4, '#');
        EXPECT_EQ(entry.BuildEnvironmentBlock(buffer.data(), size), size);
        EXPECT_EQ(buffer.substr(size), "####");  // nothing beyond the size
        buffer.resize(size);
        return buffer;
    }

    test::FakeOs os;
    ScopedOs scope{os};
};

TEST_F(EnvironmentTest, SeparateModeExpandsInOnePassInOrder) {
    LaunchEntry entry;
    EXPECT_EQ(entry.BuildEnvironmentBlock(nullptr, 0), 0u);
    entry.SetEnv("A", "1");
    entry.SetEnv("B", "%A%2");
    EXPECT_EQ(entry.BuildEnvironmentBlock(nullptr, 0), 11u);
    EXPECT_EQ(Block(entry), std::string("A=1\0B=12\0\0\0", 11));

    entry.ClearEnv();
    entry.SetEnv("B", "%NOPE%x 100% %");
    entry.SetEnv("E", "");
    entry.SetEnv("F", "[%E%]%B%");
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"B=%NOPE%x 100% %", "E=", "F=[]%NOPE%x 100% %"}));

    // A reference brought in is expanded only by a variable that comes later.
    entry.ClearEnv();
    for (const char* name : {"A", "B", "C"}) entry.SetEnv(name, "");
    entry.SetEnv("A", "%B%");
    entry.SetEnv("B", "%C%");
    entry.SetEnv("C", "z");
    EXPECT_EQ(Strings(Block(entry))[0], "A=z");
    entry.ClearEnv();
    entry.SetEnv("A", "%B%");
    entry.SetEnv("C", "z");
    entry.SetEnv("B", "%C%");
    EXPECT_EQ(Strings(Block(entry))[0], "A=%C%");
    // Names match byte for byte; a trail byte never starts a match.
    entry.ClearEnv();
    entry.SetEnv("a", "x");
    entry.SetEnv(PO, "y");
    entry.SetEnv("V", "%A%" HYO "%a%%" PO "%");
    EXPECT_EQ(Strings(Block(entry))[2], "V=%A%" HYO "xy");
}

TEST_F(EnvironmentTest, MergeModeSetsTheEntrysVariablesOverTheInheritedOnes) {
    os.SetEnvironment({"=C:=C:\\work", "PATH=C:\\WINDOWS", "TEMP=C:\\tmp", "windir=C:\\WINDOWS"});
    LaunchEntry entry;
    entry.SetOverWriteEnv(1);
    entry.SetEnv("PATH", "%PATH%;\\bin");
    entry.SetEnv("NEW", "%TEMP%\\x");
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"=C:=C:\\work", "PATH=%PATH%;\\bin;\\bin", "TEMP=C:\\tmp",
                                        "windir=C:\\WINDOWS", "NEW=C:\\tmp\\x"}));
    entry.ClearEnv();
    entry.SetEnv("path", "%PATH%;\\bin");
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"=C:=C:\\work", "PATH=C:\\WINDOWS", "TEMP=C:\\tmp",
                                        "windir=C:\\WINDOWS", "path=C:\\WINDOWS;\\bin"}));
    os.SetNoEnvironment();
    EXPECT_EQ(Strings(Block(entry)), std::vector<std::string>{"path=%PATH%;\\bin"});

    // Launcher variables that code page 932 cannot hold (Zoë, in the nearest form the
    // system offers) reach the program as the launcher has them, except where the entry
    // sets one or the composition changes one; one that is only referred to stays whole.
    os.SetEnvironment({"HOME=C:\\Zoe", "PATH=C:\\WINDOWS", "SET=C:\\Zoe", "USED=Zoe", "EXPANDED=%PATH%;Zoe",
                       "Zo?=1"});
    os.environmentOriginals = {u"HOME=C:\\Zo\u00EB", u"", u"SET=C:\\Zo\u00EB", u"USED=Zo\u00EB",
                               u"EXPANDED=%PATH%;Zo\u00EB", u"Zo\u00EB=1"};
    os.AddFile("E:\\tools\\a.exe", "MZ");
    entry.ClearEnv();
    entry.SetAppPath("\\tools\\a.exe");
    entry.SetUseCustomEnv(1);
    entry.SetEnv("SET", "D:\\");
    entry.SetEnv("NEW", "%USED%");
    ASSERT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"HOME=C:\\Zoe", "PATH=C:\\WINDOWS", "SET=D:\\", "USED=Zoe",
                                        "EXPANDED=C:\\WINDOWS;Zoe", "Zo?=1", "NEW=Zoe"}));
    EXPECT_EQ(os.started.back().start.environmentOriginals,
              (std::vector<std::u16string>{u"HOME=C:\\Zo\u00EB", u"", u"", u"USED=Zo\u00EB", u"", u"Zo\u00EB=1"}));
    // Kept apart, the entry's variables are all there is.
    entry.SetOverWriteEnv(0);
    ASSERT_TRUE(entry.Launch(false, false));
    EXPECT_TRUE(os.started.back().start.environmentOriginals.empty());
}

TEST_F(EnvironmentTest, TheDriveVariableIsComposedLastInBothModes) {
    // The drive that another variable brings in is expanded, although the map holds it
    // first, as the editor seeds it. Other chains keep the order of the map: FIRST comes
    // before TOOLS, so the %TOOLS% that BIN brings into it stays.
    LaunchEntry entry;
    entry.SetEnv("_VERROW_DRV_", "E:");
    entry.SetEnv("FIRST", "%BIN%");
    entry.SetEnv("TOOLS", "%_VERROW_DRV_%\\tools");
    entry.SetEnv("BIN", "%TOOLS%\\bin;%PATH%;%LATER%");
    entry.SetEnv("LATER", "%_VERROW_DRV_%\\later");
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"_VERROW_DRV_=E:", "FIRST=%TOOLS%\\bin;%PATH%;E:\\later", "TOOLS=E:\\tools",
                                        "BIN=E:\\tools\\bin;%PATH%;E:\\later", "LATER=E:\\later"}));

    // Merged: LATER takes the inherited variable's place, before FIRST.
    os.SetEnvironment({"PATH=C:\\WINDOWS", "LATER=inherited"});
    entry.SetOverWriteEnv(1);
    EXPECT_EQ(Strings(Block(entry)),
              (std::vector<std::string>{"PATH=C:\\WINDOWS", "LATER=E:\\later", "_VERROW_DRV_=E:",
                                        "FIRST=%TOOLS%\\bin;%PATH%;%LATER%", "TOOLS=E:\\tools",
                                        "BIN=E:\\tools\\bin;C:\\WINDOWS;E:\\later"}));
}

TEST_F(EnvironmentTest, LargeEnvironmentsComposeUpTo32Megabytes) {
    // 32 variables of 11 KB that hold a '%' each, alone.
    VarMap alone;
    std::string expected;
    for (int i = 0; i < 32; ++i) {
        std::string value = "100% ";
        while (value.size() < 11264) value += "C:\\some\\folder\\" + std::to_string(i) + ";";
        alone.Set("V" + std::to_string(i), value);
        expected += "V" + std::to_string(i) + "=" + value + '\0';
    }
    EXPECT_TRUE(ComposeEnvironmentBlock(alone) == expected + '\0' + '\0');

    // 30 entry variables of 12 KB that use %PATH%, over a small launcher environment.
    const std::string path = "C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\Program Files\\tools";
    os.SetEnvironment({"PATH=" + path, "windir=C:\\WINDOWS"});
    std::string value = "50% ", composed = value;
    while (value.size() < 12288) {
        value += "E:\\tools\\bin;%PATH%;";
        composed += "E:\\tools\\bin;" + path + ";";
    }
    LaunchEntry entry;
    entry.SetOverWriteEnv(1);
    for (int i = 0; i < 30; ++i) entry.SetEnv("E" + std::to_string(i), value);
    std::vector<std::string> strings = Strings(Block(entry));
    ASSERT_EQ(strings.size(), 32u);
    EXPECT_TRUE(strings[2] == "E0=" + composed);
    EXPECT_TRUE(strings[31] == "E29=" + composed);

    // A block of exactly 32 MB is made; one byte more is refused. A reference that
    // multiplies counts with what it becomes.
    const std::size_t kLimit = std::size_t{32} << 20;
    for (std::size_t extra : {0, 1}) {
        VarMap many;
        std::string v;
        for (int i = 0; i < 32766; ++i) v += "%A%";
        many.Set("V", v + std::string(1016 + extra, 'y'));
        many.Set("A", std::string(1024, 'x'));
        const std::string block = ComposeEnvironmentBlock(many);
        EXPECT_EQ(block.size(), extra ? 0 : kLimit) << extra;
    }
}

TEST_F(EnvironmentTest, ValuesWithABarOrATrailByte7CArriveWhole) {
    LaunchEntry entry;
    entry.SetEnv("BAR", "a|b");
    entry.SetEnv("KANA", "ポケット");
    entry.SetEnv("X", "%KANA%|%BAR%");
    const std::string block = Block(entry);
    EXPECT_EQ(block.size(), 8u + 14u + 15u + 2u);
    EXPECT_EQ(Strings(block), (std::vector<std::string>{"BAR=a|b", "KANA=" PO "\x83\x50\x83\x62\x83\x67",
                                                         "X=" PO "\x83\x50\x83\x62\x83\x67|a|b"}));
    // Capacity 0 or a buffer that is too small: size only, nothing written.
    std::string small(8, '#');
    EXPECT_EQ(entry.BuildEnvironmentBlock(small.data(), 0), block.size());
    EXPECT_EQ(entry.BuildEnvironmentBlock(small.data(), small.size()), block.size());
    EXPECT_EQ(small, std::string(8, '#'));
}

TEST_F(EnvironmentTest, SnapshotTakesTheProcessEnvironment) {
    os.SetEnvironment({"=C:=C:\\work", "=", "NOEQUALS", "A=1", "EMPTY=", "A=2", "X==y", "windir=C:\\WINDOWS"});
    VarMap vars;
    vars.Set("stale", "1");
    EXPECT_TRUE(SnapshotEnvironment(vars));
    std::vector<std::string> seen;
    for (const auto& item : vars) seen.push_back(item.first + "=" + item.second);
    EXPECT_EQ(seen, (std::vector<std::string>{"=C:=C:\\work", "A=2", "EMPTY=", "X==y", "windir=C:\\WINDOWS"}));
    os.SetNoEnvironment();
    EXPECT_FALSE(SnapshotEnvironment(vars));
    EXPECT_TRUE(vars.empty());
}

TEST_F(EnvironmentTest, ExpansionMatchesTheLiteralAlgorithmOnRandomMaps) {
    // Pieces chosen to collide: names that are prefixes of one another, letter case,
    // double-byte characters with trail bytes '|' and '\\', lone lead bytes, '%'.
    const std::vector<std::string> namePieces = {"A", "a", "B", "AB", PO, HYO, "_", "\x83\x41"};
    const std::vector<std::string> valuePieces = {"%", "%", "%", "A", "a", "B", "AB", PO, HYO, "|",
                                                  "x", "\x83", "\x81\x25", "%%", "\x83\x41", ""};
    std::mt19937 random(1234);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 3000; ++round) {
        VarMap source;
        int count = 1 + static_cast<int>(random() % 7);
        for (int i = 0; i < count; ++i) {
            std::string name;
            int length = static_cast<int>(random() % 3);
            for (int k = 0; k <= length; ++k) name += pick(namePieces);
            if (round % 10 == 0 && random() % 4 == 0) name += "%";  // names with '%' too
            if (random() % 8 == 0) name = random() % 2 ? "_VERROW_DRV_" : "_verrow_Drv_";
            std::string value;
            int pieces = static_cast<int>(random() % 12);
            for (int k = 0; k < pieces; ++k) value += random() % 3 ? pick(valuePieces) : "%" + name + "%";
            source.Set(name, value);
        }
        ASSERT_EQ(ComposeEnvironmentBlock(source), test::LiteralBlock(source)) << "round " << round;
    }
}

TEST_F(EnvironmentTest, MergingThousandsOfInheritedVariablesStaysFast) {
    std::vector<std::string> inherited;
    for (int i = 0; i < 5000; ++i) {
        inherited.push_back("VAR" + std::to_string(i) + "=C:\\some\\folder\\" + std::to_string(i));
    }
    inherited.push_back("PATH=C:\\WINDOWS");
    os.SetEnvironment(inherited);
    LaunchEntry entry;
    entry.SetOverWriteEnv(1);
    for (int i = 0; i < 200; ++i) {
        entry.SetEnv("E" + std::to_string(i), "%VAR" + std::to_string(i * 20) + "%;%PATH%;%E0%");
    }
    auto start = std::chrono::steady_clock::now();
    const std::string block = Block(entry);
    auto elapsed = std::chrono::steady_clock::now() - start;
    std::vector<std::string> strings = Strings(block);
    ASSERT_EQ(strings.size(), 5201u);
    EXPECT_EQ(strings[5000], "PATH=C:\\WINDOWS");
    // E0's value comes in unexpanded, after VAR0 and PATH had their turn.
    EXPECT_EQ(strings[5200], "E199=C:\\some\\folder\\3980;C:\\WINDOWS;%VAR0%;%PATH%;%E0%");
    // Trying every variable on every value (what the literal algorithm does) takes seconds here.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
}

}  // namespace
}  // namespace verrow
