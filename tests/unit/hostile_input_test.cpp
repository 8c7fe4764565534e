// Inputs found by fuzzing (or built after what it found) that once broke the program:
// values that carried line ends into the file they were written to, and variables whose
// references multiplied a few kilobytes into gigabytes or took hours to expand.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "core/environment.h"
#include "core/launch_entry.h"
#include "platform/profile.h"
#include "tests/support/fake_os.h"
#include "tests/support/literal_expansion.h"

namespace verrow {
namespace {

constexpr char kFile[] = "E:\\tools\\VERROW_CNF\\a.vrc";

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// A literal with its zero bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// The time limits are for a plain build; the address checker runs these loops several
// times slower, more so on a shared core, and so does the emulator that runs the 32-bit
// Linux build on a host without 32-bit support (tools/run-i386).
#if defined(__SANITIZE_ADDRESS__) || (defined(__i386__) && !defined(_WIN32))
constexpr long long kSlowdown = 4;
#else
constexpr long long kSlowdown = 1;
#endif

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

class HostileInputTest : public ::testing::Test {
protected:
    HostileInputTest() {
        os.AddDirectory("E:\\tools\\VERROW_CNF");
        os.AddFile("E:\\apps\\a.exe", "MZ");
    }
    test::FakeOs os;
    ScopedOs scope{os};
};

TEST_F(HostileInputTest, ValuesWithLineEndsCannotAddKeysToTheFile) {
    // A launcher environment may hold a value with a line break; the editor copies it
    // into a new entry. Written raw, its second line would become a key of its own, and
    // the first of two keys wins: this entry would come back as a start-up entry with
    // another variable.
    LaunchEntry entry;
    entry.SetAppName("Name\nStartUp=1");
    entry.SetAppPath("\\apps\\a.exe");
    entry.SetStartUp(0);
    entry.SetEnv("A", "1\r\nENV0001_Key=Injected\r\nENV0001_Val=x");
    entry.SetEnv("B", "two\rlines");
    entry.SetEnv("C", "\x83\r\nkept");  // a CR that is a trail byte does not end the line
    ASSERT_TRUE(entry.SaveToFile(kFile));

    LaunchEntry back;
    ASSERT_TRUE(back.LoadFromFile(kFile));
    EXPECT_EQ(back.GetAppName(), "Name");
    EXPECT_EQ(back.GetStartUp(), 0);
    std::vector<std::string> names;
    back.GetEnvNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
    std::string value;
    back.LookupEnv("A", value);
    EXPECT_EQ(value, "1");
    back.LookupEnv("B", value);
    EXPECT_EQ(value, "two");
    back.LookupEnv("C", value);
    EXPECT_EQ(value, "\x83\r");

    // The writer on its own: a zero byte or line end ends the value; the space before
    // the line end is kept, quoted so that it reads back.
    ProfileWriter writer;
    writer.Write("S", "K", "v \n[S]\r\nK=other");
    writer.Write("S", "L", "w\x00z");
    EXPECT_EQ(writer.Bytes(), "[S]\r\nK=\"v \"\r\nL=w\r\n");
}

TEST_F(HostileInputTest, ReferencesThatMultiplyCannotBeComposedAndTheStartFails) {
    // 3 KB of values: each level repeats the next 300 times, 300^3 * 300 bytes in all.
    LaunchEntry entry;
    entry.SetAppPath("\\apps\\a.exe");
    entry.SetUseCustomEnv(1);
    entry.SetEnv("V", Repeat("%A%", 300));
    entry.SetEnv("A", Repeat("%B%", 300));
    entry.SetEnv("B", Repeat("%C%", 300));
    entry.SetEnv("C", Repeat("x", 300));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(entry.BuildEnvironmentBlock(nullptr, 0), 0u);
    EXPECT_FALSE(entry.Launch(false, false));
    EXPECT_LT(MillisecondsSince(start), 5000 * kSlowdown);
    EXPECT_TRUE(os.started.empty());  // never with the launcher's own environment instead
    ASSERT_EQ(os.messages.size(), 1u);
    EXPECT_EQ(os.messages[0].text, "\\apps\\a.exe の起動エラー(CODE=10)");
    EXPECT_EQ(os.messages[0].type, mb::kOk | mb::kIconExclamation);

    // Going through too much fails the start too. A value of 1.6 MB that two hundred
    // variables name in turn, each replaced by itself: it never grows, but was gone
    // through once per variable, twice per start. And 7000 names that begin "A%", tried
    // at every %A% of 52 KB of values. And 52 KB that one replacement would make 9 GB of:
    // it must stop as it passes the limit, not once it is done.
    LaunchEntry again[3];
    again[0].SetEnv("V", "%A%");
    again[0].SetEnv("A", Repeat("%B%", 64));
    std::string names;
    for (int i = 0; i < 200; ++i) names += "%X" + std::to_string(i) + "%";
    again[0].SetEnv("B", Repeat("x", 24000) + names);
    for (int i = 0; i < 200; ++i) again[0].SetEnv("X" + std::to_string(i), "%X" + std::to_string(i) + "%");
    for (int i = 0; i < 2; ++i) again[1].SetEnv("V" + std::to_string(i), Repeat("%A%", 8666));
    for (int i = 0; i < 7000; ++i) again[1].SetEnv("A%" + std::to_string(10000 + i), "");
    again[2].SetEnv("V", Repeat("%A%", 40));
    again[2].SetEnv("A", Repeat("%B%", 8666));
    again[2].SetEnv("B", Repeat("x", 25999));
    for (LaunchEntry& crafted : again) {
        crafted.SetAppPath("\\apps\\a.exe");
        crafted.SetUseCustomEnv(1);
        start = std::chrono::steady_clock::now();
        os.messages.clear();
        EXPECT_FALSE(crafted.Launch(false, false));
        EXPECT_LT(MillisecondsSince(start), 5000 * kSlowdown);
        EXPECT_TRUE(os.started.empty());
        EXPECT_EQ(os.messages.size(), 1u);
        if (!os.messages.empty()) {
            EXPECT_EQ(os.messages[0].text, "\\apps\\a.exe の起動エラー(CODE=10)");
        }
    }

    // Nesting that ends in 3 MB is more than anyone means, but it can be made.
    VarMap large;
    large.Set("V", Repeat("%A%", 300));
    large.Set("A", Repeat("%B%", 100));
    large.Set("B", Repeat("x", 100));
    EXPECT_EQ(ComposeEnvironmentBlock(large).size(),
              (2 + 300 * 100 * 100 + 1) + (2 + 100 * 100 + 1) + (2 + 100 + 1) + 2);
    // So is 31 MB with a stray '%' among a few variables, which once was gone through
    // once for each of them.
    VarMap few;
    few.Set("A", Repeat("%B%", 1200) + "%");
    few.Set("B", Repeat("x", 25998));
    std::size_t size = (2 + 1200 * 25998 + 1 + 1) + (2 + 25998 + 1) + 2;
    for (int i = 0; i < 30; ++i) {
        few.Set("Q" + std::to_string(i), "q");
        size += ("Q" + std::to_string(i)).size() + 3;
    }
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(ComposeEnvironmentBlock(few).size(), size);
    EXPECT_LT(MillisecondsSince(start), 5000 * kSlowdown);
}

TEST_F(HostileInputTest, ThousandsOfVariablesWithAPercentNameExpandExactlyAndFast) {
    // A name with '%' in it once made every value try every variable in turn:
    // 20,000 values x 20,000 variables.
    VarMap source;
    source.Set("50%", "half");
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        source.Set("V" + std::to_string(i), "%50%%;%V" + std::to_string(i - 1) + "%");
    }
    auto start = std::chrono::steady_clock::now();
    const std::string block = ComposeEnvironmentBlock(source);
    EXPECT_LT(MillisecondsSince(start), 3000 * kSlowdown);
    // V7: "50%" replaced first, then V6's own value comes in; V5 comes earlier in the
    // order than V6, so its reference stays.
    EXPECT_NE(block.find(Bytes("\0V7=half;%50%%;%V5%\0")), std::string::npos);
    EXPECT_NE(block.find(Bytes("\0V0=half;%V-1%\0")), std::string::npos);
    EXPECT_EQ(block.compare(0, 9, Bytes("50%=half\0")), 0);
}

TEST_F(HostileInputTest, ManyVariablesExpandAsTryingEachInTurnWould) {
    // With more than a few variables the composition looks up the references a value
    // holds instead of trying every variable; names with '%' in them, names that share
    // a first part, lead bytes that take a '%' and chains make the look-up go wrong first.
    // Forty-eight long names that begin with '%', tried at each of 6000 '%' and given up
    // at their second byte, are little to go through.
    VarMap percents;
    percents.Set("V", std::string(6000, '%'));
    for (int i = 0; i < 48; ++i) percents.Set("%" + std::string(116, 'a') + std::to_string(1000 + i), "x");
    ASSERT_EQ(ComposeEnvironmentBlock(percents), test::LiteralBlock(percents));

    const std::vector<std::string> namePieces = {"A", "B", "%", "%", "\x83", "x", "AB", "\x83\x41"};
    const std::vector<std::string> valuePieces = {"%", "%", "%%", "A", "B", "\x83", "\x83%", "|", "y", ""};
    std::mt19937 random(6);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 120; ++round) {
        VarMap source;
        std::vector<std::string> names;
        const int count = 33 + static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) {
            std::string name = std::to_string(i % 7);
            for (int k = static_cast<int>(random() % 3); k > 0; --k) name += pick(namePieces);
            names.push_back(name);
        }
        for (const std::string& name : names) {
            std::string value;
            for (int k = static_cast<int>(random() % 10); k > 0; --k) {
                value += random() % 2 ? pick(valuePieces) : "%" + names[random() % names.size()] + "%";
            }
            source.Set(name, value);
        }
        ASSERT_EQ(ComposeEnvironmentBlock(source), test::LiteralBlock(source)) << "round " << round;
    }
}

}  // namespace
}  // namespace verrow
