// The real Win32 services under wine: files, temporary names, listing, the process,
// and the program's message box.
#include "tests/wine/wine_test_util.h"

#include <chrono>
#include <regex>
#include <thread>

#include "platform/scoped.h"
#include "platform/win32/read_ahead.h"
#include "platform/win32/win32_os.h"
#include "platform/win32_text.h"

namespace verrow {
namespace {

using test::NamesIn;
using test::ReadFileBytes;
using test::WriteAll;

class Win32OsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        VERROW_NEED_DRIVE_P();
        dir = test::FreshFolder(std::string("P:\\work\\") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    Win32Os os;
    std::string dir;
};

TEST_F(Win32OsFiles, ReplaceFileWritesTheWholeContentAndLeavesNothingElse) {
    const std::string path = dir + "\\verrow.ini";
    std::string big;
    for (int i = 0; big.size() < 3u * 1024 * 1024; ++i) big += std::string("ポ|\0\x5C", 4) + char(i);
    ASSERT_TRUE(os.ReplaceFile(path, big));
    std::string read;
    ASSERT_TRUE(os.ReadFile(path, read));
    EXPECT_TRUE(read == big);
    // Held open for a moment, as another copy's reading holds it (deleting shared): the
    // replacement waits for it instead of failing.
    {
        std::string bytes;
        ScopedHandle held;
        ASSERT_TRUE(ReadWholeFile(path, bytes, held));
        std::thread release([&held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            held.reset();
        });
        const bool replaced = os.ReplaceFile(path, "short");
        release.join();
        ASSERT_TRUE(replaced);
    }
    // Let go of just as the replacement looks again (after one pause), when the move may
    // fail while the holder is closing and the file be free a moment later: still replaced.
    for (int i = 0; i < 45; ++i) {
        std::string bytes;
        ScopedHandle held;
        ASSERT_TRUE(ReadWholeFile(path, bytes, held));
        std::thread release([&held, i] {
            std::this_thread::sleep_for(std::chrono::milliseconds(49 + i % 3));
            held.reset();
        });
        const bool replaced = Win32Os().ReplaceFile(path, "short");  // each with a full wait
        release.join();
        ASSERT_TRUE(replaced) << i;
    }
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"verrow.ini"});
    // Held for good: after the wait the old file stays, and no temporary file is left.
    {
        std::string bytes;
        ScopedHandle held;
        ASSERT_TRUE(ReadWholeFile(path, bytes, held));
        EXPECT_FALSE(os.ReplaceFile(path, "other"));
    }
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"verrow.ini"});

    // Nowhere to write: false, and nothing is left behind.
    EXPECT_FALSE(os.ReplaceFile(dir + "\\gone\\x.ini", "x"));
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"verrow.ini"});

    // A new file is created, but never over one that is there.
    EXPECT_FALSE(os.CreateNewFile(path, "other"));
    EXPECT_EQ(ReadFileBytes(path), "short");
    ASSERT_TRUE(os.CreateNewFile(dir + "\\new.vrc", big));
    EXPECT_TRUE(ReadFileBytes(dir + "\\new.vrc") == big);
    EXPECT_EQ(NamesIn(dir), (std::vector<std::string>{"new.vrc", "verrow.ini"}));
    EXPECT_FALSE(os.ReadFile(dir + "\\missing.ini", read));
}

TEST_F(Win32OsFiles, ReadFilesGivesEachFileInOrderAsReadFileDoes) {
    // Enough files for the helper to read ahead, large ones that fill what they may hold
    // ahead, and paths that cannot be read, between them.
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) {
        std::string path = dir + "\\" + std::to_string(i) + ".vrc";
        if (i % 7 == 3) {
            path = dir + "\\missing" + std::to_string(i) + ".vrc";
        } else if (i % 50 == 10) {
            WriteAll(path, std::string(6u << 20, static_cast<char>('a' + i % 26)));
        } else {
            WriteAll(path, std::string(static_cast<std::size_t>(i * 37 % 5000), static_cast<char>(i)));
        }
        paths.push_back(path);
    }
    paths.push_back(dir);  // a folder
    auto expectAsReadFile = [&](const std::vector<std::string>& some) {
        std::unique_ptr<FileSequence> files = os.ReadFiles(some);
        for (const std::string& path : some) {
            std::string expected, got = "stale";
            const bool readable = os.ReadFile(path, expected);
            ASSERT_EQ(files->Next(got), readable) << path;
            ASSERT_TRUE(got == expected) << path;
        }
        std::string after = "x";
        EXPECT_FALSE(files->Next(after));
        EXPECT_EQ(after, "");
    };
    expectAsReadFile(paths);
    // A few files, a missing one among them.
    expectAsReadFile(std::vector<std::string>(paths.begin(), paths.begin() + 5));

    // Left before the end: the helper stops.
    std::unique_ptr<FileSequence> files = os.ReadFiles(paths);
    std::string first;
    EXPECT_EQ(files->Next(first), os.ReadFile(paths[0], first));
    files.reset();

    // Whatever was read is closed when asked: nothing holds a file any more.
    auto expectNoneHeld = [&] {
        for (const std::string& path : paths) {
            if (path.find("missing") != std::string::npos || path == dir) continue;
            ScopedHandle alone(CreateFileW(ToSystemText(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            EXPECT_TRUE(alone) << path;
        }
    };
    os.CloseFilesRead();
    expectNoneHeld();

    // While a message waits for the user none is held, though the reading goes on.
    FilesLeftOpen leftOpen;
    files = ReadAhead(paths, leftOpen);
    ASSERT_EQ(files->Next(first), os.ReadFile(paths[0], first));
    leftOpen.Pause();
    std::string bytes;
    for (std::size_t i = 1; i < paths.size(); ++i) files->Next(bytes);
    expectNoneHeld();
    leftOpen.Resume();
}

TEST_F(Win32OsFiles, ThisProgramIsKnownByItsFileNotByItsSpelling) {
    const std::string self = os.ModuleFileName();
    EXPECT_TRUE(os.IsThisProgram(self));
    std::string upper = self;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    EXPECT_TRUE(os.IsThisProgram(upper)) << upper;
    std::wstring shortPath(MAX_PATH, L'\0');
    shortPath.resize(GetShortPathNameW(ToSystemText(self).c_str(), &shortPath[0], MAX_PATH));
    ASSERT_FALSE(shortPath.empty());
    ASSERT_NE(FromSystemText(shortPath), self);
    EXPECT_TRUE(os.IsThisProgram(FromSystemText(shortPath))) << FromSystemText(shortPath);
    // The same bytes elsewhere are another program; no file or a folder is none.
    const std::string copy = dir + "\\copy.exe";
    ASSERT_TRUE(CopyFileW(ToSystemText(self).c_str(), ToSystemText(copy).c_str(), TRUE));
    EXPECT_FALSE(os.IsThisProgram(copy));
    EXPECT_FALSE(os.IsThisProgram(dir + "\\gone.exe"));
    EXPECT_FALSE(os.IsThisProgram(dir));
}

TEST_F(Win32OsFiles, ReplaceFileKeepsAFileThatCannotBeChanged) {
    // The fixture made this file immutable.
    const std::string path = "P:\\locked\\verrow.ini";
    const std::string before = ReadFileBytes(path);
    ASSERT_FALSE(before.empty());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(os.ReplaceFile(path, "[Verrow]\r\nStartOpen=1\r\nListStyle=0\r\n"));
    // Refused at once: nobody holds it, so there is nothing to wait for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(NamesIn("P:\\locked"), (std::vector<std::string>{"VERROW_CNF", "verrow.ini"}));

    // One the user made read-only: Windows refuses to replace it by renaming over it, wine
    // would not; kept everywhere.
    const std::wstring readOnly = ToSystemText(dir + "\\kept.vrc");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);  // left so by a failed run
    WriteAll(dir + "\\kept.vrc", "kept");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(os.ReplaceFile(dir + "\\kept.vrc", "new"));
    EXPECT_EQ(ReadFileBytes(dir + "\\kept.vrc"), "kept");
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"kept.vrc"});
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32OsFiles, TemporaryNamesListingAndLookUp) {
    std::string first, second;
    ASSERT_TRUE(os.CreateTempFile(dir, "VERROW", first));
    ASSERT_TRUE(os.CreateTempFile(dir, "VERROW", second));
    EXPECT_NE(first, second);
    const std::regex name(std::regex_replace(dir, std::regex("\\\\"), "\\\\") +
                          "\\\\VER[0-9A-Fa-f]{1,4}\\.tmp");
    EXPECT_TRUE(std::regex_match(first, name)) << first;
    EXPECT_TRUE(std::regex_match(second, name)) << second;
    std::string bytes = "x";
    EXPECT_TRUE(os.ReadFile(first, bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(os.CreateTempFile(dir + "\\gone", "VERROW", first));

    for (const char* file : {"a.vrc", "b.vrc", "other.txt"}) WriteAll(dir + "\\" + file, "x");
    ASSERT_TRUE(os.CreateDirectory(dir + "\\sub.vrc"));
    EXPECT_FALSE(os.CreateDirectory(dir + "\\sub.vrc"));
    std::vector<std::string> names = os.ListFiles(dir + "\\*.vrc");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.vrc", "b.vrc", "sub.vrc"}));
    // A name that code page 932 cannot hold comes as the short name that reaches the file.
    const std::wstring unheld = ToSystemText(dir) + L"\\Zo\u00EB.vrc";
    HANDLE file = CreateFileW(unheld.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "zoe", 3, &written, nullptr);
    CloseHandle(file);
    // An editor's backup of it, "Zoë.vrc~", has a short name ending in .VRC too, which the
    // pattern meets; the listing must not hand that out as if the backup were an entry file.
    const std::wstring backup = unheld + L"~";
    HANDLE backupFile = CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(backupFile, INVALID_HANDLE_VALUE);
    CloseHandle(backupFile);
    names = os.ListFiles(dir + "\\*.vrc");
    ASSERT_EQ(names.size(), 4u);
    std::sort(names.begin(), names.end());
    const std::string shortName = names[0] == "a.vrc" ? names[3] : names[0];
    std::string content;
    EXPECT_TRUE(os.ReadFile(dir + "\\" + shortName, content)) << shortName;
    EXPECT_EQ(content, "zoe");
    DeleteFileW(unheld.c_str());
    DeleteFileW(backup.c_str());
    EXPECT_TRUE(os.ListFiles(dir + "\\gone\\*.vrc").empty());

    std::uint32_t attributes = 0;
    ASSERT_TRUE(os.FindFile(dir + "\\a.vrc", &attributes));
    EXPECT_EQ(attributes & kAttributeDirectory, 0u);
    ASSERT_TRUE(os.FindFile(dir + "\\sub.vrc", &attributes));
    EXPECT_NE(attributes & kAttributeDirectory, 0u);
    EXPECT_FALSE(os.FindFile(dir + "\\none.vrc", &attributes));
    // Patterns match, but name no file or folder; a long path's prefix is no pattern.
    EXPECT_FALSE(os.FindFile(dir + "\\*", &attributes));
    EXPECT_FALSE(os.FindFile(dir + "\\a.vr?", &attributes));
    EXPECT_TRUE(os.FindFile("\\\\?\\" + dir + "\\a.vrc", &attributes));
}

TEST(Win32Os, EnvironmentBlockIsCopiedWholeWithWhatCodePage932CannotHold) {
    Win32Os os;
    ASSERT_TRUE(SetEnvironmentVariableW(L"VERROW_PROBE_VALUE", ToSystemText("ポ|x").c_str()));
    const std::wstring zoe = L"VERROW_PROBE_ZOE=C:\\Users\\Zo\u00EB\\\U0001F600";
    ASSERT_TRUE(SetEnvironmentVariableW(L"VERROW_PROBE_ZOE", zoe.substr(17).c_str()));
    std::string block;
    std::vector<std::u16string> originals;
    ASSERT_TRUE(os.EnvironmentBlock(block, originals));
    SetEnvironmentVariableW(L"VERROW_PROBE_VALUE", nullptr);
    SetEnvironmentVariableW(L"VERROW_PROBE_ZOE", nullptr);
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0'));
    // One original per string, in the order of the strings; only the one 932 cannot hold.
    std::vector<std::string> strings;
    for (std::size_t at = 0; block[at] != '\0'; at = block.find('\0', at) + 1) strings.push_back(block.c_str() + at);
    ASSERT_EQ(originals.size(), strings.size());
    std::size_t checked = 0;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (strings[i] == "VERROW_PROBE_VALUE=ポ|x") {
            EXPECT_TRUE(originals[i].empty());
            ++checked;
        } else if (strings[i].rfind("VERROW_PROBE_ZOE=C:\\Users\\Zo", 0) == 0) {
            EXPECT_TRUE(std::wstring(originals[i].begin(), originals[i].end()) == zoe);
            ++checked;
        } else {
            EXPECT_TRUE(originals[i].empty()) << strings[i];
        }
    }
    EXPECT_EQ(checked, 2u);
}

TEST(MessageCaption, IsTheFileNameWithoutFolderAndLastExtension) {
    EXPECT_EQ(MessageCaption("E:\\tools\\App.beta.exe"), "App.beta");
    EXPECT_EQ(MessageCaption("E:\\tools\\Verrow.exe"), "Verrow");
    EXPECT_EQ(MessageCaption("E:\\v1.2\\Verrow"), "Verrow");
    EXPECT_EQ(MessageCaption("\\\\server\\share\\ソフト\\表示.exe"), "表示");
    EXPECT_EQ(MessageCaption("E:\\tools\\ソ"), "ソ");  // a trail byte 0x5C is no separator
}

// Finds the box by its caption on another thread, notes what it shows, and presses
// `button`. A box of ours with another caption is closed too, so a wrong caption fails the
// test instead of hanging it.
class BoxWatcher {
public:
    BoxWatcher(std::wstring caption, int button)
        : thread_([this, caption, button] { Watch(caption, button); }) {}
    ~BoxWatcher() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    HWND box = nullptr;
    std::wstring text;
    HWND owner = nullptr;
    HICON icon = nullptr;

private:
    void Watch(const std::wstring& caption, int button) {
        HWND found = nullptr;
        for (int i = 0; i < 200 && !found; ++i) {
            found = FindWindowW(L"#32770", caption.c_str());
            if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        HWND any = found ? found : OwnDialog();
        if (!any) return;
        box = found;
        wchar_t buffer[256] = {};
        GetDlgItemTextW(any, 0xFFFF, buffer, 256);
        text = buffer;
        owner = GetWindow(any, GW_OWNER);
        for (HWND child = GetWindow(any, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
                icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            }
        }
        PostMessageW(any, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(any, button)));
    }
    // Any dialog of this process (other test programs may run beside us).
    static HWND OwnDialog() {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == GetCurrentProcessId()) return w;
        }
        return nullptr;
    }
    std::thread thread_;
};

TEST(Win32OsMessage, ShowsTheProgramNameTheTextAndTheIcon) {
    Win32Os os;
    const std::wstring caption = ToSystemText(MessageCaption(os.ModuleFileName()));
    ASSERT_EQ(caption, L"verrow_wine_tests");

    // The box belongs to the thread's active window.
    HWND window = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetActiveWindow(window);
    EXPECT_EQ(GetActiveWindow(), window);

    BoxWatcher ok(caption, IDOK);
    EXPECT_EQ(os.ShowMessage("表示ソフトのポート"), IDOK);
    ok.Join();
    EXPECT_NE(ok.box, nullptr);
    EXPECT_EQ(ok.text, L"表示ソフトのポート");
    EXPECT_EQ(ok.owner, window);
    EXPECT_EQ(ok.icon, LoadIconA(nullptr, IDI_EXCLAMATION));

    // An icon of the caller's own is kept; the answer is the button pressed.
    BoxWatcher cancel(caption, IDCANCEL);
    EXPECT_EQ(os.ShowMessage("?", mb::kOkCancel | MB_ICONINFORMATION), IDCANCEL);
    cancel.Join();
    EXPECT_NE(cancel.box, nullptr);
    EXPECT_EQ(cancel.icon, LoadIconA(nullptr, IDI_INFORMATION));
    DestroyWindow(window);
}

}  // namespace
}  // namespace verrow
