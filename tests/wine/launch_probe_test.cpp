// Starting entries for real under wine: the probe writes down the command line, current
// directory and environment block it received, and they must be what the entry asks for,
// byte for byte.
#include "tests/wine/wine_test_util.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "core/launch_entry.h"
#include "platform/win32/win32_os.h"

namespace verrow {
namespace {

// The real services, but messages are noted rather than shown, and the launcher lives on
// the test drive, as on its stick.
class QuietOs : public Win32Os {
public:
    std::string ModuleFileName() override { return "P:\\tools\\Verrow.exe"; }
    int ShowMessage(const std::string& text, unsigned type) override {
        messages.push_back(text);
        return mb::kIdOk;
    }
    std::vector<std::string> messages;
};

// Wine puts these into every child's environment, whatever the block says.
bool AddedByWine(const std::string& name) {
    for (const char* added : {"WINEDATADIR", "WINEHOMEDIR", "WINECONFIGDIR", "WINEDLLDIR0",
                              "WINELOADER", "WINEUSERNAME", "WINEDLLOVERRIDES", "WINEUSERLOCALE",
                              "SystemDrive", "SystemRoot"}) {
        if (name == added) return true;
    }
    return false;
}

// The strings of an environment block, without those wine adds.
std::vector<std::string> Strings(const char* block) {
    std::vector<std::string> out;
    for (const char* p = block; *p; p += std::char_traits<char>::length(p) + 1) {
        std::string item = p;
        std::size_t equals = item.find('=', 1);
        if (!AddedByWine(item.substr(0, equals))) out.push_back(item);
    }
    return out;
}

std::vector<std::string> OwnEnvironment() {
    char* block = GetEnvironmentStringsA();
    std::vector<std::string> out = Strings(block);
    FreeEnvironmentStringsA(block);
    return out;
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

struct ProbeRecord {
    std::string commandLine;
    std::string directory;
    std::vector<std::string> environment;
};

class LaunchProbe : public ::testing::Test {
protected:
    void SetUp() override {
        VERROW_NEED_DRIVE_P();
        // Stored paths have no drive: they lie on the launcher's drive, P:, wherever we stand.
        GetCurrentDirectoryA(MAX_PATH, saved_);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
        test::FreshFolder("P:\\work\\launch");
        scope_ = std::make_unique<ScopedOs>(os);
        drive_ = os.ModuleFileName().substr(0, 2);
    }
    void TearDown() override {
        scope_.reset();
        if (saved_[0]) SetCurrentDirectoryA(saved_);
    }

    // Registers the entry as the entry store reads it.
    void Load(const std::string& main, const std::string& env = std::string()) {
        std::string file = "[MoxEnvExec]\r\n" + main;
        if (!env.empty()) file += "[MoxEnvExec_Env]\r\n" + env;
        test::WriteAll("P:\\work\\launch\\e.vrc", file);
        entry = std::make_unique<LaunchEntry>();
        entry->SetValueFilter(DriveValueFilter);
        ASSERT_TRUE(entry->LoadFromFile("P:\\work\\launch\\e.vrc"));
    }

    // Starts the entry, waiting for it, and reads what the probe wrote.
    ProbeRecord Run(const std::string& output = "P:\\tools\\probe\\probe.out") {
        DeleteFileA(output.c_str());
        bool started = entry->Launch(true, false);
        // Wine now and then fails to map a new process's shared page and reports an internal
        // error (1359); the start is tried once more then, and only then, in place of the first.
        if (!started && UnderWine() && !os.messages.empty() &&
            os.messages.back().find("(CODE=1359)") != std::string::npos) {
            std::printf("wine could not start the probe (%s); once more\n",
                        os.messages.back().c_str());
            os.messages.pop_back();
            started = entry->Launch(true, false);
        }
        EXPECT_TRUE(started) << (os.messages.empty() ? "no message" : os.messages.back());
        std::string bytes = test::ReadFileBytes(output);
        ProbeRecord record;
        std::size_t first = bytes.find('\0');
        std::size_t second = bytes.find('\0', first + 1);
        if (first == std::string::npos || second == std::string::npos) {
            ADD_FAILURE() << "the probe wrote nothing usable to " << output;
            return record;
        }
        record.commandLine = bytes.substr(0, first);
        record.directory = bytes.substr(first + 1, second - first - 1);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string(2, '\0'));
        record.environment = Strings(bytes.c_str() + second + 1);
        return record;
    }

    QuietOs os;
    std::unique_ptr<LaunchEntry> entry;
    std::string drive_;

private:
    char saved_[MAX_PATH] = {};
    std::unique_ptr<ScopedOs> scope_;
};

TEST_F(LaunchProbe, SeparateEnvironmentHoldsExactlyTheEntrysVariables) {
    Load("AppPath=\\tools\\probe\\probe.exe\r\nCmdOpt=-x \"two words\" ポ|表\r\nUseCustomEnv=1\r\n",
         "ENV0000_Key=A\r\nENV0000_Val=1\r\n"
         "ENV0001_Key=B\r\nENV0001_Val=%A%2\r\n"
         "ENV0002_Key=_VERROW_DRV_\r\nENV0002_Val=X:\r\n"
         "ENV0003_Key=DATA\r\nENV0003_Val=%_VERROW_DRV_%\\data\r\n"
         "ENV0004_Key=TEXT\r\nENV0004_Val=a|bポc表\r\n"
         "ENV0005_Key=LONE\r\nENV0005_Val=%NOPE%x 100%\r\n");
    ProbeRecord got = Run();
    EXPECT_EQ(got.commandLine, "-x \"two words\" ポ|表");
    EXPECT_EQ(got.directory, "P:\\tools\\probe");
    EXPECT_EQ(got.environment,
              (std::vector<std::string>{"A=1", "B=12", "_VERROW_DRV_=" + drive_,
                                        "DATA=" + drive_ + "\\data", "TEXT=a|bポc表",
                                        "LONE=%NOPE%x 100%"}));
    // The folder is the program's, for this start only.
    EXPECT_EQ(entry->GetCurrentDir(), "");
    EXPECT_FALSE(entry->IsModified());
    EXPECT_TRUE(os.messages.empty());
}

TEST_F(LaunchProbe, MergedEnvironmentReplacesInheritedVariablesWhereTheyStand) {
    SetEnvironmentVariableA("VERROW_INHERITED", "old");
    SetEnvironmentVariableA("VERROW_OTHER", "ポ");
    Load("AppPath=\\tools\\probe\\probe.exe\r\nCurrentDir=\\tools\r\n"
         "UseCustomEnv=1\r\nOverWriteEnv=1\r\n",
         "ENV0000_Key=VERROW_INHERITED\r\nENV0000_Val=%VERROW_OTHER%;P:\\bin\r\n"
         "ENV0001_Key=VERROW_NEW\r\nENV0001_Val=ポ|x\r\n");
    std::vector<std::string> expected;
    for (const std::string& item : OwnEnvironment()) {
        expected.push_back(item == "VERROW_INHERITED=old" ? "VERROW_INHERITED=ポ;P:\\bin" : item);
    }
    expected.push_back("VERROW_NEW=ポ|x");
    ProbeRecord got = Run();
    SetEnvironmentVariableA("VERROW_INHERITED", nullptr);
    SetEnvironmentVariableA("VERROW_OTHER", nullptr);
    EXPECT_EQ(got.environment, expected);
    EXPECT_EQ(got.directory, "P:\\tools");
    EXPECT_EQ(entry->GetCurrentDir(), "\\tools");
    // An empty command line stays empty; wine alone puts the quoted program name there.
    EXPECT_EQ(got.commandLine, UnderWine() ? "\"P:\\tools\\probe\\probe.exe\"" : "");
}

TEST_F(LaunchProbe, WithoutCustomEnvironmentOrVariablesTheProgramInheritsOurs) {
    const std::string vars = "ENV0000_Key=A\r\nENV0000_Val=1\r\n";
    Load("AppPath=\\tools\\probe\\probe.exe\r\nCmdOpt=-y\r\nUseCustomEnv=0\r\n", vars);
    EXPECT_EQ(Run().environment, OwnEnvironment());

    // A folder whose name has a trail byte 0x5C (ソ) is still split whole.
    Load("AppPath=\\ソフト\\probe.exe\r\nCmdOpt=-y\r\nUseCustomEnv=1\r\n");
    ProbeRecord got = Run("P:\\ソフト\\probe.out");
    EXPECT_EQ(got.environment, OwnEnvironment());
    EXPECT_EQ(got.directory, "P:\\ソフト");
}

TEST_F(LaunchProbe, MissingPathAndFailedCreation) {
    Load("AppPath=\\tools\\probe\\gone.exe\r\n");
    EXPECT_FALSE(entry->Launch(false, false));
    EXPECT_TRUE(os.messages.empty());

    test::WriteAll("P:\\work\\launch\\note.txt", "not a program");
    Load("AppPath=\\work\\launch\\note.txt\r\n");
    EXPECT_FALSE(entry->Launch(false, false));
    EXPECT_EQ(os.messages, std::vector<std::string>{"\\work\\launch\\note.txt の起動エラー(CODE=193)"});
}

// The folder that an Explorer window shows in the address box of its tool bar.
std::wstring ShownFolder(HWND window) {
    wchar_t shown[256] = {};
    HWND bar = FindWindowExW(window, nullptr, L"ReBarWindow32", nullptr);
    HWND address = bar ? FindWindowExW(bar, nullptr, L"ComboBoxEx32", nullptr) : nullptr;
    if (address) SendMessageW(address, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(shown));
    return shown;
}

TEST_F(LaunchProbe, FolderOpensAnExplorerWindow) {
    // Other tests may have Explorer windows of their own open: ours is the one on "probe".
    auto ours = [] {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"ExplorerWClass", nullptr)) != nullptr;) {
            if (ShownFolder(w) == L"probe") return w;
        }
        return HWND{};
    };
    Load("AppPath=\\tools\\probe\r\nCmdOpt=-z\r\n");
    EXPECT_TRUE(entry->Launch(false, false));
    HWND window = nullptr;
    for (int i = 0; i < 200 && !window; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        window = ours();
    }
    ASSERT_NE(window, nullptr) << "no Explorer window on the folder appeared";
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(window); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(os.messages.empty());
}

}  // namespace
}  // namespace verrow
