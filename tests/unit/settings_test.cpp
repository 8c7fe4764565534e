// The settings file: defaults, what is read, and the exact file written back.
#include <gtest/gtest.h>

#include <string>

#include "storage/settings.h"
#include "tests/support/fake_os.h"

namespace verrow {
namespace {

const char kPath[] = "E:\\tools\\verrow.ini";

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : scope_(os) { os.AddDirectory("E:\\tools"); }
    test::FakeOs os;
    ScopedOs scope_;
};

TEST_F(SettingsTest, MissingFileGivesDefaultsAndIsWrittenWithThem) {
    ProgramSettings settings = ReadSettings(kPath);
    EXPECT_EQ(settings.StartOpen, 1);
    EXPECT_EQ(settings.ListStyle, 0);
    EXPECT_TRUE(WriteSettings(kPath, settings));
    EXPECT_EQ(os.FileBytes(kPath), "[Verrow]\r\nStartOpen=1\r\nListStyle=0\r\n");
    EXPECT_EQ(os.FilesIn("E:\\tools").size(), 1u);
}

TEST_F(SettingsTest, RewriteKeepsOnlyTheTwoKeys) {
    os.AddFile(kPath, "[Other]\r\nX=1\r\n[verrow]\r\nListStyle=7\r\nExtra=yes\r\nStartOpen=5\r\n");
    ProgramSettings settings = ReadSettings(kPath);
    EXPECT_EQ(settings.StartOpen, 5);
    EXPECT_EQ(settings.ListStyle, 7);
    EXPECT_TRUE(WriteSettings(kPath, settings));
    EXPECT_EQ(os.FileBytes(kPath), "[Verrow]\r\nStartOpen=1\r\nListStyle=7\r\n");

    EXPECT_TRUE(WriteSettings(kPath, ProgramSettings{0, -1}));
    EXPECT_EQ(os.FileBytes(kPath), "[Verrow]\r\nStartOpen=0\r\nListStyle=-1\r\n");
    EXPECT_EQ(ReadSettings(kPath).ListStyle, -1);
}

TEST_F(SettingsTest, FailedWriteKeepsTheOldFile) {
    const std::string old = "[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n";
    os.AddFile(kPath, old);
    os.failWrite = [](const std::string&) { return true; };
    EXPECT_FALSE(WriteSettings(kPath, ProgramSettings{1, 1}));
    EXPECT_EQ(os.FileBytes(kPath), old);
    EXPECT_EQ(os.FilesIn("E:\\tools").size(), 1u);
    // Nothing to write when the file holds the same: no write to fail.
    EXPECT_TRUE(WriteSettings(kPath, ProgramSettings{0, 2}));
}

}  // namespace
}  // namespace verrow
