// Starting an entry, against the fake services: what reaches the platform and what
// the user is told.
#include <gtest/gtest.h>

#include <string>

#include "core/launch_entry.h"
#include "tests/support/fake_os.h"

namespace verrow {
namespace {

template <std::size_t N>
std::string Bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

class LaunchTest : public ::testing::Test {
protected:
    LaunchTest() : scope_(os) {
        os.AddDirectory("E:\\tools");
        os.AddDirectory("E:\\tools\\edit");
        os.AddFile("E:\\tools\\edit\\edit.exe", "MZ");
    }

    // An entry as its file gives it (CmdOpt and CurrentDir come only from the file).
    void Load(const std::string& main, const std::string& env = std::string()) {
        std::string file = "[MoxEnvExec]\r\n" + main;
        if (!env.empty()) file += "[MoxEnvExec_Env]\r\n" + env;
        os.AddFile("E:\\tools\\e.vrc", file);
        ASSERT_TRUE(entry.LoadFromFile("E:\\tools\\e.vrc"));
    }

    test::FakeOs os;
    ScopedOs scope_;
    LaunchEntry entry;
};

TEST_F(LaunchTest, MissingPathFailsSilently) {
    Load("AppPath=\\tools\\gone.exe\r\n");
    EXPECT_FALSE(entry.Launch(false, false));
    EXPECT_TRUE(os.started.empty());
    EXPECT_TRUE(os.shellRequests.empty());
    EXPECT_TRUE(os.messages.empty());
}

TEST_F(LaunchTest, FolderOpensExplorerAndIgnoresProgramOptions) {
    Load("AppPath=\\tools\r\nCmdOpt=-x\r\nUseCustomEnv=1\r\n", "ENV0000_Key=A\r\nENV0000_Val=1\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    ASSERT_EQ(os.shellRequests.size(), 1u);
    EXPECT_EQ(os.shellRequests[0].owner, nullptr);
    EXPECT_EQ(os.shellRequests[0].file, "explorer");
    EXPECT_EQ(os.shellRequests[0].parameters, "/e,E:\\tools");
    EXPECT_TRUE(os.started.empty());
    EXPECT_EQ(entry.GetCurrentDir(), "");

    os.shellResult = 32;  // 32 and below are the shell's errors
    EXPECT_FALSE(entry.Launch(false, false));
    os.shellResult = 33;
    EXPECT_TRUE(entry.Launch(false, false));
    // Explorer would take a comma in the path as the end of its argument.
    os.AddDirectory("E:\\a,b");
    LaunchEntry comma;
    comma.SetAppPath("\\a,b");
    EXPECT_TRUE(comma.Launch(false, false));
    EXPECT_EQ(os.shellRequests.back().parameters, "/e,\"E:\\a,b\"");
    // Nor can it be relied on to read a slash as a backslash, as the file system does.
    comma.SetAppPath("/a,b");
    EXPECT_TRUE(comma.Launch(false, false));
    EXPECT_EQ(os.shellRequests.back().parameters, "/e,\"E:\\a,b\"");
    EXPECT_TRUE(os.messages.empty());
}

TEST_F(LaunchTest, ProgramGetsItsOwnCommandLineAndFolder) {
    Load("AppPath=\\tools\\edit\\edit.exe\r\nCmdOpt=-x \"a b\"\r\n");
    EXPECT_TRUE(entry.Launch(true, true));
    ASSERT_EQ(os.started.size(), 1u);
    const ProcessStart& start = os.started[0].start;
    EXPECT_EQ(start.applicationName, "E:\\tools\\edit\\edit.exe");
    EXPECT_EQ(start.commandLine, "-x \"a b\"");
    EXPECT_TRUE(start.inheritHandles);
    EXPECT_EQ(start.creationFlags, kCreateNewConsole);
    EXPECT_TRUE(start.wait);
    EXPECT_FALSE(os.started[0].hadEnvironment);
    // The program's own folder, for this start only.
    EXPECT_EQ(start.currentDirectory, "E:\\tools\\edit\\");
    EXPECT_EQ(entry.GetCurrentDir(), "");
    EXPECT_FALSE(entry.IsModified());

    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started[1].start.creationFlags, 0u);
    EXPECT_EQ(os.started[1].start.commandLine, "-x \"a b\"");
    EXPECT_FALSE(os.started[1].start.wait);
}

TEST_F(LaunchTest, PathsWithoutADriveLieOnTheLaunchDriveAndOthersStayAsGiven) {
    Load("AppPath=\\tools\\edit\\edit.exe\r\nCurrentDir=\\data\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.currentDirectory, "E:\\data");

    // A bare name has no folder to take: the program inherits ours.
    os.AddFile("edit.exe", "MZ");
    Load("AppPath=edit.exe\r\nCurrentDir=work\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.applicationName, "edit.exe");
    EXPECT_EQ(os.started.back().start.currentDirectory, "work");
    EXPECT_EQ(os.started.back().start.commandLine, "");
    Load("AppPath=edit.exe\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.currentDirectory, "");

    // Another drive and network paths are taken as they are.
    os.AddFile("F:\\x\\edit.exe", "MZ");
    os.AddFile("\\\\server\\share\\edit.exe", "MZ");
    Load("AppPath=F:\\x\\edit.exe\r\nCurrentDir=\\\\server\\share\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.applicationName, "F:\\x\\edit.exe");
    EXPECT_EQ(os.started.back().start.currentDirectory, "\\\\server\\share");
    Load("AppPath=\\\\server\\share\\edit.exe\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.applicationName, "\\\\server\\share\\edit.exe");
    EXPECT_EQ(os.started.back().start.currentDirectory, "\\\\server\\share\\");

    // Run from a network path, the launcher has no drive to put in front.
    os.moduleFileName = "\\\\server\\share\\Verrow.exe";
    os.AddFile("\\tools\\edit\\edit.exe", "MZ");
    Load("AppPath=\\tools\\edit\\edit.exe\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().start.applicationName, "\\tools\\edit\\edit.exe");
    EXPECT_EQ(os.started.back().start.currentDirectory, "\\tools\\edit\\");
}

TEST_F(LaunchTest, FailedCreationShowsPathAndCode) {
    Load("AppPath=\\tools\\edit\\edit.exe\r\n");
    os.startError = 193;
    EXPECT_FALSE(entry.Launch(false, false));
    ASSERT_EQ(os.messages.size(), 1u);
    EXPECT_EQ(os.messages[0].text, "\\tools\\edit\\edit.exe の起動エラー(CODE=193)");
    EXPECT_EQ(os.messages[0].type, mb::kOk | mb::kIconExclamation);
}

TEST_F(LaunchTest, EnvironmentBlockOnlyWithCustomEnvAndVariables) {
    const std::string vars = "ENV0000_Key=A\r\nENV0000_Val=1\r\nENV0001_Key=B\r\nENV0001_Val=%A%2|ポ\r\n";
    Load("AppPath=\\tools\\edit\\edit.exe\r\nUseCustomEnv=1\r\n", vars);
    EXPECT_TRUE(entry.Launch(false, false));
    ASSERT_TRUE(os.started.back().hadEnvironment);
    EXPECT_EQ(os.started.back().environment, Bytes("A=1\0B=12|ポ\0\0"));

    // Merged over ours: the inherited PATH is replaced where it stood.
    Load("AppPath=\\tools\\edit\\edit.exe\r\nUseCustomEnv=1\r\nOverWriteEnv=1\r\n",
         "ENV0000_Key=PATH\r\nENV0000_Val=\\bin;%windir%\r\nENV0001_Key=NEW\r\nENV0001_Val=1\r\n");
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_EQ(os.started.back().environment,
              Bytes("PATH=\\bin;C:\\WINDOWS\0windir=C:\\WINDOWS\0NEW=1\0\0"));

    Load("AppPath=\\tools\\edit\\edit.exe\r\nUseCustomEnv=1\r\n");  // no variables
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_FALSE(os.started.back().hadEnvironment);

    Load("AppPath=\\tools\\edit\\edit.exe\r\nUseCustomEnv=0\r\n", vars);
    EXPECT_TRUE(entry.Launch(false, false));
    EXPECT_FALSE(os.started.back().hadEnvironment);
}

}  // namespace
}  // namespace verrow
