// What the stick tests share: the drives that stick.sh maps (K: plain, R: write-protected,
// T: a small tmpfs), laying out a configuration, pictures of every file on a drive, the
// program's memory, and filling a disk.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/gui/gui_driver.h"

namespace verrow::gui::stick {

// The closing line of the message about what the end of a run could not save.
inline constexpr char kCheckTheDrive[] =
    "ドライブが書き込み禁止になっていないか、取り外されていないか、空き容量が足りているか、"
    "ファイルが読み取り専用や使用中になっていないかを確認してください。";
inline constexpr char kSettingsNotSaved[] = "設定 (verrow.ini) を保存できませんでした。";
inline constexpr char kEntriesNotSaved[] = "次の登録を保存できませんでした。";

inline std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The folder behind the drive letters, as a path of this process; empty without stick.sh.
inline std::string StickFolder() { return FromUnix(std::getenv("VERROW_STICK")); }
inline bool MountsAvailable() { return Env("VERROW_STICK_MOUNTS") == "1"; }

// One of the sticks: `letter` is "K", "R" or "T".
struct Drive {
    std::string letter;
    std::string Root() const { return letter + ":\\"; }
    std::string Tools() const { return letter + ":\\tools"; }
    std::string Exe() const { return Tools() + "\\Verrow.exe"; }
    std::string Settings() const { return Tools() + "\\verrow.ini"; }
    std::string Config() const { return Tools() + "\\VERROW_CNF"; }
    // What the stamp at \apps\a.exe writes when it is started.
    std::string StampOut() const { return letter + ":\\apps\\a.out"; }
};

// Removes a file, or a folder with everything below it.
inline void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(Wide(path).c_str());
        return;
    }
    for (const std::string& name : FolderNames(path)) RemoveTree(path + "\\" + name);
    RemoveDirectoryW(Wide(path).c_str());
}

// A fresh configuration on a writable stick: the settings file (none when empty) and the
// given entry files in an emptied VERROW_CNF; the stamp's output removed.
inline void LayOut(const Drive& drive, const std::string& settings,
                   const std::vector<std::pair<std::string, std::string>>& entries) {
    RemoveTree(drive.Settings());
    if (!settings.empty()) WriteFileBytes(drive.Settings(), settings);
    RemoveTree(drive.Config());
    CreateDirectoryW(Wide(drive.Config()).c_str(), nullptr);
    for (const auto& [name, bytes] : entries) WriteFileBytes(drive.Config() + "\\" + name, bytes);
    RemoveTree(drive.StampOut());
}

// Every file and folder below `folder`: relative path -> bytes ("<folder>" for folders).
using Picture = std::map<std::string, std::string>;
inline void TakePicture(const std::string& folder, const std::string& prefix, Picture& out) {
    for (const std::string& name : FolderNames(folder)) {
        std::string path = folder + "\\" + name;
        DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            out[prefix + name + "\\"] = "<folder>";
            TakePicture(path, prefix + name + "\\", out);
        } else {
            out[prefix + name] = ReadFileBytes(path);
        }
    }
}
inline Picture PictureOf(const std::string& folder) {
    Picture picture;
    TakePicture(folder, "", picture);
    return picture;
}

// Names that differ between two pictures, and files whose bytes differ (for messages:
// a 50 MB file is not printed).
inline std::string Differences(const Picture& before, const Picture& after) {
    std::string out;
    for (const auto& [name, bytes] : before) {
        auto it = after.find(name);
        if (it == after.end()) out += " gone:" + name;
        else if (it->second != bytes) out += " changed:" + name;
    }
    for (const auto& [name, bytes] : after) {
        if (!before.count(name)) out += " new:" + name;
    }
    return out;
}

inline double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// The program's peak working set so far, in bytes (0 when it cannot be read).
inline SIZE_T PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

// Milliseconds a WM_NULL takes to come back from the main window; -1 when it did not
// within `limitMs`.
inline long RoundTripMs(HWND window, UINT limitMs = 1000) {
    DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, limitMs, &result)) return -1;
    return static_cast<long>(GetTickCount() - start);
}

// Writes `path` until the disk takes no more byte; returns how many it took.
inline ULONGLONG FillDisk(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    ULONGLONG total = 0;
    std::string chunk(64 * 1024, 'f');
    for (std::size_t size : {std::size_t{64 * 1024}, std::size_t{4096}, std::size_t{1}}) {
        for (;;) {
            DWORD written = 0;
            if (!WriteFile(file, chunk.data(), static_cast<DWORD>(size), &written, nullptr) || written == 0) break;
            total += written;
            if (written < size) break;
        }
    }
    CloseHandle(file);
    return total;
}

}  // namespace verrow::gui::stick
