#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile.h"
#include "tests/support/fake_os.h"

namespace verrow {
namespace {

#define PO "\x83\x7C"
#define HYO "\x95\x5C"
#define ZO "\x83\x5D"  // trail byte ']'

ProfileReader Parsed(std::string_view bytes) {
    ProfileReader reader;
    reader.Parse(bytes);
    return reader;
}

// The whole literal, zero bytes included.
template <std::size_t N>
std::string_view Bytes(const char (&text)[N]) {
    return std::string_view(text, N - 1);
}

TEST(ProfileReader, TrimsSpacesAndRemovesOnePairOfQuotes) {
    ProfileReader r = Parsed(
        "  [ Sec ]  trailing text\r\n"
        "  key1  =  value one \t\x0B\x1A\r\n"
        "dq=\"quoted\"\r\nsq='single'\r\nmixed=\"a'\r\nlone=\"\r\nempty=\"\"\r\n"
        "inner= \"  spaced  \" \r\nmiddle=\"a\"b\"\r\nwide=\x81\x40x\x81\x40\r\n");
    EXPECT_EQ(r.GetString("sec", "KEY1", 260), "value one");
    EXPECT_EQ(r.GetString(" Sec ", "  key1 ", 260), "value one");
    EXPECT_EQ(r.GetString("Sec", "dq", 260), "quoted");
    EXPECT_EQ(r.GetString("Sec", "sq", 260), "single");
    EXPECT_EQ(r.GetString("Sec", "mixed", 260), "\"a'");
    EXPECT_EQ(r.GetString("Sec", "lone", 260), "\"");
    EXPECT_EQ(r.GetString("Sec", "empty", 260), "");
    EXPECT_EQ(r.GetString("Sec", "inner", 260), "  spaced  ");
    EXPECT_EQ(r.GetString("Sec", "middle", 260), "a\"b");
    EXPECT_EQ(r.GetString("Sec", "wide", 260), "\x81\x40x\x81\x40");  // full-width space stays
    EXPECT_EQ(r.GetString("Sec", "missing", 260), "");
    EXPECT_EQ(r.GetString("Other", "key1", 260), "");
}

TEST(ProfileReader, DuplicatesCommentsAndStrayLinesReadAsThePlatformReadsThem) {
    ProfileReader r = Parsed(
        "outside=1\r\n"
        "[s]\r\nk=first\r\nK=second\r\nbare\r\nbare=late\r\n;c=comment\r\n=nameless\r\n"
        "[S]\r\nonly2=x\r\n"
        "[t]]\r\nk=bracket\r\n[u\r\nk2=after broken header\r\n"
        "[]\r\nk3=unnamed\r\n");
    EXPECT_EQ(r.GetString("s", "k", 260), "first");
    EXPECT_TRUE(r.HasKey("s", "bare"));
    EXPECT_EQ(r.GetString("s", "bare", 260), "");  // a line without '=' hides the later key
    EXPECT_FALSE(r.HasKey("s", ";c"));
    EXPECT_FALSE(r.HasKey("s", "c"));
    EXPECT_EQ(r.GetString("s", "", 260), "nameless");
    EXPECT_FALSE(r.HasKey("s", "only2"));  // only the first [s] is searched
    EXPECT_FALSE(r.HasKey("", "outside"));
    EXPECT_EQ(r.GetString("t]", "k", 260), "bracket");
    EXPECT_TRUE(r.HasKey("t]", "[u"));
    EXPECT_EQ(r.GetString("t]", "k2", 260), "after broken header");
    EXPECT_FALSE(r.HasKey("t]", "k3"));
}

TEST(ProfileReader, LinesAndSeparatorsAreFoundOnCharacterBoundaries) {
    ProfileReader r = Parsed(Bytes(
        "[s]\ra=1\rb=" PO "|" HYO "\n\n\r\nc=x\0y\r\nd=x\x83\r\ne=2\rg=y\x83\rh=4\r\n"
        "k\x81=v\r\n[s" ZO "\r\nf=3"));
    EXPECT_EQ(r.GetString("s", "a", 260), "1");
    EXPECT_EQ(r.GetString("s", "b", 260), PO "|" HYO);
    EXPECT_EQ(r.GetString("s", "c", 260), "x");  // a zero byte ends the value
    EXPECT_EQ(r.GetString("s", "d", 260), "x\x83\r");  // the lead byte takes the CR
    EXPECT_EQ(r.GetString("s", "e", 260), "2");
    EXPECT_EQ(r.GetString("s", "g", 260), "y\x83\rh=4");  // and so joins two lines
    EXPECT_FALSE(r.HasKey("s", "h"));
    EXPECT_TRUE(r.HasKey("s", "k\x81=v"));  // the lead byte takes the '='
    EXPECT_EQ(r.GetString("s", "f", 260), "3");  // "[s" ZO" is no header; no final newline
}

TEST(ProfileReader, AZeroByteEndsANameButNotTheWalkOverTheLine) {
    // After a zero byte a lead byte still takes the byte after it, '=' too; the walk over
    // the line goes on in characters, and only the name and value are cut at the zero.
    ProfileReader r = Parsed(Bytes("[s]\r\na\0\xEE=x\r\nb\0y\x83=z=w\r\nc=1\0\x83=2\r\nd\0=\x83\0v\r\n"));
    EXPECT_TRUE(r.HasKey("s", "a"));
    EXPECT_EQ(r.GetString("s", "a", 260), "");  // no '=' of its own on the line
    EXPECT_EQ(r.GetString("s", "b", 260), "w");
    EXPECT_EQ(r.GetString("s", "c", 260), "1");
    EXPECT_EQ(r.GetString("s", "d", 260), "\x83");  // a zero byte ends a value even as a trail byte
    EXPECT_EQ(r.GetInt("s", "a", 7), 7);
}

TEST(ProfileReader, CutsToBufferSizeWithoutSplittingACharacter) {
    ProfileReader r = Parsed("[s]\r\nascii=abcdefghij\r\nwide=\x83\x41\x83\x41\x83\x41\r\n"
                             "quoted=\"abcdefgh\"\r\nlong=" + std::string(30000, 'v') + "\r\n");
    EXPECT_EQ(r.GetString("s", "ascii", 1), "");
    EXPECT_EQ(r.GetString("s", "ascii", 5), "abcd");
    EXPECT_EQ(r.GetString("s", "ascii", 11), "abcdefghij");
    EXPECT_EQ(r.GetString("s", "wide", 4), "\x83\x41");
    EXPECT_EQ(r.GetString("s", "wide", 5), "\x83\x41\x83\x41");
    EXPECT_EQ(r.GetString("s", "quoted", 5), "abcd");
    EXPECT_EQ(r.GetString("s", "quoted", 9), "abcdefgh");
    EXPECT_EQ(r.GetString("s", "long", 26000), std::string(25999, 'v'));
}

TEST(ProfileReader, FilesWithAByteOrderMarkAreReadInCodePage932) {
    // 名前=ポ表 "€" in UTF-8 and UTF-16: the text comes back in code page 932.
    const std::string cp932Name = "\x96\xBC\x91\x4F";
    const std::string expected = PO HYO "?";
    std::u16string text = u"[s]\r\n\u540D\u524D=\u30DD\u8868\u20AC\r\nq=\"x\"\r\n";
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (char16_t c : text) {
        little += static_cast<char>(c & 0xFF);
        little += static_cast<char>(c >> 8);
        big += static_cast<char>(c >> 8);
        big += static_cast<char>(c & 0xFF);
    }
    std::string utf8 = "\xEF\xBB\xBF[s]\r\n\xE5\x90\x8D\xE5\x89\x8D=\xE3\x83\x9D\xE8\xA1\xA8\xE2\x82\xAC\r\n"
                       "q=\"x\"\r\nbad=a\xFF\xE3\x81z\r\n";
    for (const std::string& file : {little, big, utf8}) {
        ProfileReader r = Parsed(file);
        EXPECT_EQ(r.GetString("s", cp932Name, 260), expected);
        EXPECT_EQ(r.GetString("s", "q", 260), "x");
        ProfileReader loaded;  // as a file is loaded from the disk
        ASSERT_TRUE(loaded.Load(true, file));
        EXPECT_EQ(loaded.GetString("s", cp932Name, 260), expected);
    }
    EXPECT_EQ(Parsed(utf8).GetString("s", "bad", 260), "a??z");
    // Without a mark the bytes are code page 932 as they stand.
    EXPECT_EQ(Parsed("[s]\r\nv=\xE3\x83\x9D" "x\r\n").GetString("s", "v", 260), "\xE3\x83\x9D" "x");
}

TEST(ProfileReader, IntegersReadAsThePlatformReadsThem) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"1", 1}, {"-1", -1}, {"+5", 5}, {"  7", 7}, {"- 3", 0}, {"+-3", 0}, {"12abc", 12},
        {"abc", 0}, {"0x1F", 31}, {"0X1f", 0}, {"0x", 0}, {"-0x10", -16}, {"0o17", 15},
        {"0b101", 5}, {"0b12", 1}, {"017", 17}, {"4294967297", 1}, {"2147483648", INT32_MIN},
        {"99999999999999999999", 1661992959}, {"\"42\"", 42}, {"'-9'", -9}, {"\" 5\"", 5},
        {"\" \"", 0}, {"3.9", 0 + 3}, {"\x82\x50", 0},
        {"000000000000000000000000000012", 1},  // only 29 characters are looked at
    };
    std::string file = "[s]\r\nempty=\r\nquotes=\"\"\r\nbare\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        file += "k" + std::to_string(i) + "=" + cases[i].text + "\r\n";
    }
    ProfileReader r = Parsed(file);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(r.GetInt("s", "k" + std::to_string(i), 77), cases[i].value) << cases[i].text;
    }
    EXPECT_EQ(r.GetInt("s", "empty", 77), 77);
    EXPECT_EQ(r.GetInt("s", "quotes", 77), 77);
    EXPECT_EQ(r.GetInt("s", "bare", 77), 77);
    EXPECT_EQ(r.GetInt("s", "missing", 77), 77);
}

TEST(ProfileReader, LoadReadsTheFileThroughTheServices) {
    test::FakeOs os;
    ScopedOs scope(os);
    os.AddFile("E:\\a.ini", "[s]\r\nk=v\r\n");
    ProfileReader r;
    EXPECT_TRUE(r.Load("e:\\A.INI"));
    EXPECT_EQ(r.GetString("s", "k", 260), "v");
    EXPECT_FALSE(r.Load("E:\\missing.ini"));
    EXPECT_FALSE(r.HasKey("s", "k"));  // nothing of the earlier file remains
}

TEST(ProfileWriter, WritesWhatThePlatformWritesIntoAnEmptyFile) {
    ProfileWriter w;
    w.Write("Main", "Name", "Editor");
    w.Write("Main", "Empty", "");
    w.Write("Vars", "K", "  spaced\t");
    w.Write("main", "name", "Second");  // same section and key in other letter case
    w.Write("Main", "Path", "\\" HYO "\\" PO "|");
    EXPECT_EQ(w.Bytes(),
              "[Main]\r\nName=Second\r\nEmpty=\r\nPath=\\" HYO "\\" PO "|\r\n"
              "[Vars]\r\nK=\"  spaced\t\"\r\n");
    EXPECT_EQ(ProfileWriter().Bytes(), "");

    test::FakeOs os;
    ScopedOs scope(os);
    os.AddDirectory("E:\\cfg");
    os.AddFile("E:\\cfg\\a.ini", "old");
    EXPECT_TRUE(w.Commit("E:\\cfg\\a.ini"));
    EXPECT_EQ(os.FileBytes("E:\\cfg\\a.ini"), w.Bytes());
    os.failWrite = [](const std::string&) { return true; };
    EXPECT_FALSE(ProfileWriter().Commit("E:\\cfg\\a.ini"));
    EXPECT_EQ(os.FileBytes("E:\\cfg\\a.ini"), w.Bytes());
}

// Reading trims and unquotes; whatever the program writes must still come back as it was.
TEST(ProfileWriter, EveryValueReadsBackAsWritten) {
    const std::vector<std::string> values{
        "plain", "", " lead", "trail ", "\tboth\x1A", "\"a b\" \"c d\"", "'x'", "\"\"", "\"",
        "'a\"", "\"" HYO "\"", " \"q\" ", "mid \"dle\" x", HYO " " PO, "\x81\x40" HYO "\x81\x40"};
    ProfileWriter w;
    for (std::size_t i = 0; i < values.size(); ++i) w.Write("S", "k" + std::to_string(i), values[i]);
    ProfileReader r = Parsed(w.Bytes());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(r.GetString("S", "k" + std::to_string(i), 26000), values[i]) << i;
    }
    // Only the values that need it are quoted; the rest stand as they are.
    EXPECT_NE(w.Bytes().find("\r\nk0=plain\r\n"), std::string::npos);
    EXPECT_NE(w.Bytes().find("\r\nk6=\"'x'\"\r\n"), std::string::npos);
    EXPECT_NE(w.Bytes().find("\r\nk12=mid \"dle\" x\r\n"), std::string::npos);
    // A value ending in a lone lead byte (read from a damaged file) loses that byte; kept,
    // it would take the CR of its line when read again.
    ProfileWriter lone;
    lone.Write("S", "a", "x\x81");
    lone.Write("S", "b", " y\x81");
    lone.Write("S", "c", "z");
    ProfileReader back = Parsed(lone.Bytes());
    EXPECT_EQ(back.GetString("S", "a", 260), "x");
    EXPECT_EQ(back.GetString("S", "b", 260), " y");
    EXPECT_EQ(back.GetString("S", "c", 260), "z");
    // The quotes do not count against the buffer: a full-length value keeps every byte.
    ProfileWriter longValue;
    longValue.Write("S", "k", " " + std::string(25998, 'x'));
    EXPECT_EQ(Parsed(longValue.Bytes()).GetString("S", "k", 26000).size(), 25999u);
}

}  // namespace
}  // namespace verrow
