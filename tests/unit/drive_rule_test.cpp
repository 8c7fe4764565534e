// The drive rule: which entered paths are accepted for the launch drive, and what is kept.
#include <gtest/gtest.h>

#include <string>

#include "core/drive_rule.h"

namespace verrow {
namespace {

// What the rule gives, or "<refused>" (the out string must then stay untouched).
std::string Stored(const std::string& entered, const std::string& drive) {
    std::string stored = "<refused>";
    bool accepted = ApplyDriveRule(entered, drive, stored);
    EXPECT_EQ(accepted, stored != "<refused>") << entered;
    return stored;
}

TEST(DriveRule, AcceptsTheLaunchDriveInEitherCaseAndDropsIt) {
    EXPECT_EQ(Stored("E:\\tools\\app.exe", "E:"), "\\tools\\app.exe");
    EXPECT_EQ(Stored("e:\\tools\\app.exe", "E:"), "\\tools\\app.exe");
    EXPECT_EQ(Stored("E:\\tools\\app.exe", "e:"), "\\tools\\app.exe");
    EXPECT_EQ(Stored("E:", "E:"), "");
    EXPECT_EQ(Stored("E:app.exe", "E:"), "app.exe");  // drive-relative: only the letter goes
    // A doubled separator after the drive is the same path, not a network one.
    EXPECT_EQ(Stored("E:\\\\tools\\\\app.exe", "E:"), "\\tools\\\\app.exe");
    EXPECT_EQ(Stored("E:/\\/x", "E:"), "/x");
    // The rest is kept byte for byte, double-byte characters included (表 = 95 5C).
    EXPECT_EQ(Stored("E:\\\x95\x5C\\x.exe", "E:"), "\\\x95\x5C\\x.exe");
}

TEST(DriveRule, RefusesOtherDrivesShortPathsAndAnEmptyDrive) {
    EXPECT_EQ(Stored("F:\\tools\\app.exe", "E:"), "<refused>");
    EXPECT_EQ(Stored("\\tools\\app.exe", "E:"), "<refused>");
    EXPECT_EQ(Stored("\\\\server\\share\\app.exe", "E:"), "<refused>");
    EXPECT_EQ(Stored("E", "E:"), "<refused>");
    EXPECT_EQ(Stored("", "E:"), "<refused>");
    EXPECT_EQ(Stored("E;\\x", "E:"), "<refused>");
    // A launcher started from a network path has no drive: nothing can be registered.
    EXPECT_EQ(Stored("E:\\x", ""), "<refused>");
    EXPECT_EQ(Stored("", ""), "<refused>");
}

TEST(DriveRule, DoubleByteCharactersAreComparedWhole) {
    // エ = 83 45 and a colon: the bytes 1 and 2 read "E:", but they are not the first two.
    EXPECT_EQ(Stored("\x83\x45:\\x.exe", "E:"), "<refused>");
    // A lead byte as the second byte stands alone and is no colon.
    EXPECT_EQ(Stored("E\x83:\\x", "E:"), "<refused>");
    // Full-width Ｅ (82 64) and ｅ (82 85) are not letters that fold.
    EXPECT_EQ(Stored("\x82\x64\\x", "E:"), "<refused>");
    EXPECT_EQ(Stored("\x82\x64\\x", "\x82\x85"), "<refused>");
    // A drive text given as a whole double-byte character matches only that character.
    EXPECT_EQ(Stored("\x82\x64\\x", "\x82\x64"), "\\x");
}

}  // namespace
}  // namespace verrow
