#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/path.h"

namespace verrow {
namespace {

constexpr auto npos = std::string_view::npos;

// Trail bytes that look like ASCII: ポ = 83 7C ('|'), 表 = 95 5C ('\\'), ア = 83 41 ('A').
#define PO "\x83\x7C"
#define HYO "\x95\x5C"
#define A_KANA "\x83\x41"

TEST(Cp932, TrailBytesAreNeverTakenForCharacters) {
    EXPECT_FALSE(cp932::IsLeadByte(0x80));
    EXPECT_TRUE(cp932::IsLeadByte(0x81));
    EXPECT_TRUE(cp932::IsLeadByte(0x9F));
    EXPECT_FALSE(cp932::IsLeadByte(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(cp932::IsLeadByte(0xDF));
    EXPECT_TRUE(cp932::IsLeadByte(0xE0));
    EXPECT_TRUE(cp932::IsLeadByte(0xFC));
    EXPECT_FALSE(cp932::IsLeadByte(0xFD));

    EXPECT_EQ(cp932::FindLastBackslash("C:\\" HYO), 2u);
    EXPECT_EQ(cp932::FindLastBackslash(HYO), npos);
    EXPECT_EQ(cp932::FindLastBackslash("a\\" HYO "\\"), 4u);

    EXPECT_EQ(cp932::Find(PO "|", "|"), 2u);
    EXPECT_EQ(cp932::Find(A_KANA "A", "A"), 2u);
    EXPECT_EQ(cp932::Find("x" PO "|", "|", 1), 3u);
    EXPECT_EQ(cp932::Find("x" PO "|", "|", 4), npos);
    EXPECT_EQ(cp932::Find("%A%%A%", "%A%", 1), 3u);
    EXPECT_EQ(cp932::Find(HYO "\\", "\\\\"), npos);  // 5C 5C, but the first is a trail byte
    EXPECT_EQ(cp932::Find("ab", "abc"), npos);

    EXPECT_EQ(cp932::Truncate(A_KANA A_KANA, 3), A_KANA);
    EXPECT_EQ(cp932::Truncate("x" A_KANA, 2), "x");
    EXPECT_EQ(cp932::Truncate("ab", 5), "ab");
}

TEST(Cp932, LettersFoldButDoubleByteCharactersCompareWhole) {
    EXPECT_TRUE(cp932::EqualsNoCase("_verrow_drv_", "_VERROW_DRV_"));
    EXPECT_TRUE(cp932::EqualsNoCase("x" A_KANA "y", "X" A_KANA "Y"));
    EXPECT_FALSE(cp932::EqualsNoCase(A_KANA, "\x83\x61"));  // trail 'A' vs 'a': two characters
    EXPECT_FALSE(cp932::EqualsNoCase("\x82\x60", "\x82\x81"));  // full-width letters do not fold
    EXPECT_FALSE(cp932::EqualsNoCase("ab", "a"));
    EXPECT_TRUE(cp932::EqualsNoCase("AZ", "az"));  // the letters' ends; not '@' '[' and '`' '{'
    EXPECT_FALSE(cp932::EqualsNoCase("@[", "`{"));
    EXPECT_LT(cp932::CompareNoCase("a", "B"), 0);
    EXPECT_GT(cp932::CompareNoCase("b", "A"), 0);
    EXPECT_LT(cp932::CompareNoCase("z", A_KANA), 0);  // single bytes sort before pairs
    EXPECT_TRUE(cp932::EqualsNoCase("x\x83", "X\x83"));  // a lone lead byte at the end
    EXPECT_EQ(cp932::FoldCase("AB" A_KANA "C"), "ab" A_KANA "c");
}

TEST(SplitPath, SplitsLikeTheRuntimeWithoutSplittingCharacters) {
    struct Case {
        const char* path;
        const char *drive, *dir, *base, *ext;
    } cases[] = {
        {"E:\\tools\\edit\\edit.exe", "E:", "\\tools\\edit\\", "edit", ".exe"},
        {"\\tools\\edit\\edit.exe", "", "\\tools\\edit\\", "edit", ".exe"},
        {"edit.exe", "", "", "edit", ".exe"},
        {"\\\\server\\share\\v.exe", "", "\\\\server\\share\\", "v", ".exe"},
        {"E:\\" HYO "\\x.txt", "E:", "\\" HYO "\\", "x", ".txt"},
        {"E:\\" HYO, "E:", "\\", HYO, ""},
        {"e:" HYO "\\" HYO ".", "e:", HYO "\\", HYO, "."},
        {"C:/x/y.tar.gz", "C:", "/x/", "y.tar", ".gz"},
        {"dir.d\\file", "", "dir.d\\", "file", ""},
        {"1:\\x", "", "1:\\", "x", ""},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.drive, c.drive) << c.path;
        EXPECT_EQ(parts.dir, c.dir) << c.path;
        EXPECT_EQ(parts.base, c.base) << c.path;
        EXPECT_EQ(parts.ext, c.ext) << c.path;
    }
}

// What a directory search takes as a wildcard names no file. Windows' own file systems
// also match '<', '>' and '"' (never in a name), so that a path pasted with its closing
// quote, E:\apps\tool.exe", would find tool.exe and be stored as it is. A path pasted
// whole in quotes, or a folder typed with a separator at its end, is tidied first.
TEST(EnteredPaths, WildcardsCountButNotTheLongPathPrefixAndQuotesAndEndSeparatorsGo) {
    struct {
        const char* entered;
        const char* tidy;
    } const tidied[] = {
        {"\"E:\\apps\\tool.exe\"", "E:\\apps\\tool.exe"},
        {"\"\\docs\\\"", "\\docs"},
        {"E:\\docs\\", "E:\\docs"},
        {"E:\\docs//", "E:\\docs"},
        {"E:\\ソ\\", "E:\\ソ"},
        {"E:\\ソ", "E:\\ソ"},  // its trail byte is no separator
        {"E:\\", "E:\\"},
        {"\\", "\\"},
        {"\"", "\""},
        {"E:\\apps\\tool.exe\"", "E:\\apps\\tool.exe\""},  // one quote: left for the search to refuse
    };
    for (const auto& c : tidied) {
        std::string path = c.entered;
        EXPECT_EQ(TidyEnteredPath(path), std::string(c.entered) != c.tidy) << c.entered;
        EXPECT_EQ(path, c.tidy) << c.entered;
    }

    for (const char* path : {"E:\\apps\\*", "E:\\apps\\a.ex?", "E:\\apps\\tool.exe\"", "E:\\apps\\too<.exe",
                             "E:\\apps\\too>.exe", "\\\\?\\E:\\apps\\*.exe"}) {
        EXPECT_TRUE(HasWildcard(path)) << path;
    }
    for (const char* path : {"E:\\apps\\tool.exe", "\\\\?\\E:\\apps\\tool.exe", "E:\\表\\ソ.exe"}) {
        EXPECT_FALSE(HasWildcard(path)) << path;
    }
}

}  // namespace
}  // namespace verrow
