// An in-memory stand-in for the operating system: a small case-insensitive file system,
// a process environment, and records of every start, shell request and message box.
// Faults are injected by marking paths read-only or making writes fail.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/os.h"

namespace verrow::test {

class FakeOs : public Os {
public:
    struct Message {
        std::string text;
        unsigned type;
    };
    struct ShellRequest {
        WindowHandle owner;
        std::string file;
        std::string parameters;
    };
    struct Started {
        ProcessStart start;
        std::string environment;  // the block's bytes, up to and including the final 0 0
        bool hadEnvironment = false;
    };

    FakeOs();

    // Set-up.
    void AddFile(const std::string& path, const std::string& bytes);
    void AddDirectory(const std::string& path);
    bool HasFile(const std::string& path) const;
    bool HasDirectory(const std::string& path) const;
    // Removes a folder with every file and folder below it (a stick pulled, a folder deleted).
    void RemoveTree(const std::string& folder);
    std::string FileBytes(const std::string& path) const;  // empty when missing
    // Full paths of the files directly in `folder`, in listing order.
    std::vector<std::string> FilesIn(const std::string& folder) const;
    void SetEnvironment(const std::vector<std::string>& strings);  // "NAME=value" each
    // What the system has in place of those strings that code page 932 cannot hold: one
    // per string, empty where the string is exact (EnvironmentBlock's `originals`).
    std::vector<std::u16string> environmentOriginals;
    void SetNoEnvironment() { hasEnvironment_ = false; }

    // Faults.
    std::set<std::string> readOnly;          // folded paths of files or folders
    std::set<std::string> unreadable;        // folded paths: ReadFile fails
    // Folded path -> the file's short name, which a listing's pattern matches too (as on
    // FAT: "a.vrc~" is also "A~1.VRC").
    std::map<std::string, std::string> shortNames;
    std::function<bool(const std::string& path)> failWrite;  // true: the write fails
    bool failCreateDirectory = false;
    bool failTempFile = false;
    bool failDiskQuery = false;
    std::uint32_t startError = 0;            // non-zero: StartProcess fails with it
    std::intptr_t shellResult = 42;
    // Runs inside every write of a file, before the file is in place: what another copy
    // of the program does meanwhile.
    std::function<void(const std::string& path)> duringWrite;
    // Runs while a message is shown: what the system sends meanwhile.
    std::function<void()> duringMessage;

    // What the code asked for.
    std::string moduleFileName = "E:\\tools\\Verrow.exe";
    bool moduleFolderExact = true;
    std::uint64_t diskTotal = 0, diskFree = 0;
    std::uint32_t volumeSerial = 0x5A0E1234;  // of every drive
    std::vector<std::string> volumeQueries;    // the roots asked about
    std::vector<Message> messages;
    std::deque<int> answers;                 // answers to give; kIdOk when none left
    std::vector<ShellRequest> shellRequests;
    std::vector<Started> started;
    std::vector<std::string> log;            // "start <app>", "shell <params>", "message <text>"
    int tempCounter = 0;                      // the next number GetTempFileName tries
    std::uint32_t threadErrorMode = 0;
    std::vector<std::uint32_t> diskQueryErrorModes;  // the thread's error mode at each query
    // As Windows does within one clock tick: every call starts again at tempCounter and
    // only skips names that exist, so a deleted temporary name is handed out again.
    bool tempStartFixed = false;
    int listings = 0;  // folder listings asked for

    // Os
    bool FindFile(const std::string& path, std::uint32_t* attributes) override;
    // A path without a drive or a root counts from `currentFolder`, one with a root alone
    // from its drive, as the system's would; a drive alone (E:tools) is left to the tests
    // with the system's own.
    std::string currentFolder = "V:\\";
    std::string FullPath(const std::string& path) override {
        auto separator = [&](std::size_t at) { return at < path.size() && (path[at] == '\\' || path[at] == '/'); };
        if (separator(0)) return separator(1) ? path : currentFolder.substr(0, 2) + path;
        const bool bare = !path.empty() && (path.size() < 2 || path[1] != ':');
        return bare ? currentFolder + path : path;
    }
    std::vector<std::string> ListFiles(const std::string& pattern) override;
    bool CreateDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    bool ReplaceFile(const std::string& path, const std::string& bytes) override;
    bool CreateNewFile(const std::string& path, const std::string& bytes) override;
    bool CreateTempFile(const std::string& folder, const std::string& prefix,
                        std::string& path) override;
    bool DiskFreeSpace(const std::string& directory, std::uint64_t* totalBytes,
                       std::uint64_t* freeBytes) override;
    bool VolumeSerial(const std::string& root, std::uint32_t& serial) override;
    bool SetThreadErrorMode(std::uint32_t mode, std::uint32_t* previous) override;
    std::string ModuleFileName() override { return moduleFileName; }
    bool ModuleFolderExact() override { return moduleFolderExact; }
    bool IsThisProgram(const std::string& path) override { return HasFile(path) && Fold(path) == Fold(moduleFileName); }
    bool EnvironmentBlock(std::string& block, std::vector<std::u16string>& originals) override;
    bool StartProcess(const ProcessStart& start, std::uint32_t* error) override;
    std::intptr_t ShellOpen(WindowHandle owner, const std::string& file,
                            const std::string& parameters) override;
    int ShowMessage(const std::string& text, unsigned type) override;

    static std::string Fold(const std::string& path);
    static std::string Parent(const std::string& path);  // without the trailing backslash

private:
    bool Writable(const std::string& path) const;
    // Whether a file can be written at `path`; then the other copy's turn (duringWrite).
    bool StartWrite(const std::string& path);
    struct File {
        std::string path;
        std::string bytes;
    };
    std::map<std::string, File> files_;         // folded path -> file
    std::vector<std::string> order_;            // folded paths in creation order
    std::set<std::string> directories_;         // folded paths
    std::string environment_;
    bool hasEnvironment_ = true;
};

}  // namespace verrow::test
