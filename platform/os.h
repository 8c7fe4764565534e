// The operating-system services the program's logic uses, behind one small interface.
// The Win32 implementation lives in win32_os.cpp; tests install a fake that records calls
// and injects faults. Paths and texts are code page 932 byte strings, whatever the
// system's own ANSI code page: the Win32 side converts them explicitly to and from UTF-16
// and calls the wide functions, so a stick works alike on a Japanese and any other system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace verrow {

using WindowHandle = void*;  // an HWND where the platform has one

// Message box types and answers, the Win32 values.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconMask = 0xF0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace mb

constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kCreateNewConsole = 0x10;
constexpr std::uint32_t kFailCriticalErrors = 0x0001;  // SEM_FAILCRITICALERRORS

struct ProcessStart {
    std::string applicationName;
    std::string commandLine;           // handed over in a writable copy
    bool inheritHandles = true;
    std::uint32_t creationFlags = 0;
    const char* environment = nullptr;  // code page 932 block, or null to inherit
    // One per string of the block, or fewer: the launcher's own text (UTF-16
    // "name=value") to hand over instead of that string, or empty to convert the string.
    std::vector<std::u16string> environmentOriginals;
    std::string currentDirectory;       // empty: inherit the caller's
    bool wait = false;                  // wait until the process has ended
};

// Files taken one after another in a given order (Os::ReadFiles).
class FileSequence {
public:
    virtual ~FileSequence() = default;
    // The next file's whole content, as ReadFile gives it: false when that file cannot be
    // read, and when every file has been taken.
    virtual bool Next(std::string& bytes) = 0;
};

class Os {
public:
    virtual ~Os() = default;

    // Files and folders.
    // FindFirstFile + FindClose: does anything exist at `path`; its attributes if so.
    virtual bool FindFile(const std::string& path, std::uint32_t* attributes) = 0;
    // GetFullPathName: `path` made whole from the current folders (of its drive, for
    // E:tools), as a file lookup now would read it; `path` itself when that fails.
    virtual std::string FullPath(const std::string& path) { return path; }
    // Names (without folder) matching a wildcard pattern, in the platform's order. A name
    // that code page 932 cannot hold comes as its short name, or not at all.
    virtual std::vector<std::string> ListFiles(const std::string& pattern) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // The whole file; false when it cannot be opened or read.
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    // The files at `paths`, to be taken in that order. Here each is read when it is taken;
    // a platform on which opening a file is slow may read ahead of the caller, and leave
    // the files open until CloseFilesRead.
    virtual std::unique_ptr<FileSequence> ReadFiles(std::vector<std::string> paths);
    // Closes the files that ReadFiles left open. The program calls it once its window is
    // up; deleting or replacing a file closes them first as well.
    virtual void CloseFilesRead() {}
    // Replaces (or creates) `path` with `bytes` in one step: the old file stays as it
    // was unless the complete new content is in place. No temporary file remains. A file
    // that another program holds open may be waited for, a second at most; a read-only
    // one is not replaced.
    virtual bool ReplaceFile(const std::string& path, const std::string& bytes) = 0;
    // Creates `path` with `bytes` in one step, never over another file: false when
    // something exists at `path` already or the file could not be written. No temporary
    // file remains.
    virtual bool CreateNewFile(const std::string& path, const std::string& bytes) = 0;
    // GetTempFileName(folder, prefix, 0): creates an empty file with a unique name.
    virtual bool CreateTempFile(const std::string& folder, const std::string& prefix,
                                std::string& path) = 0;
    virtual bool DiskFreeSpace(const std::string& directory, std::uint64_t* totalBytes,
                               std::uint64_t* freeBytes) = 0;
    // GetVolumeInformation: the serial number of the volume whose root is `root` ("E:\\");
    // false when it cannot be read (no such drive, no media).
    virtual bool VolumeSerial(const std::string& root, std::uint32_t& serial) = 0;
    // SetThreadErrorMode: the calling thread's error mode, such as kFailCriticalErrors (no
    // system message box for a drive without media); the mode before goes to `previous`.
    virtual bool SetThreadErrorMode(std::uint32_t mode, std::uint32_t* previous) = 0;

    // The process.
    // The executable's path; characters without a code page 932 form read as '?' or, in
    // its folders, as a look-alike.
    virtual std::string ModuleFileName() = 0;
    // Whether the drive and folder of ModuleFileName() are exactly the executable's: false
    // when a folder's name has characters that code page 932 cannot hold, and so nothing
    // next to the executable can be found or stored by its path.
    virtual bool ModuleFolderExact() = 0;
    // Whether `path` names the executable's own file however it is spelt (other case, a
    // short name, another drive letter for the same folder); false when it cannot be opened.
    virtual bool IsThisProgram(const std::string& path) = 0;
    // A copy of the process environment block (strings ended by a zero byte, then an
    // empty string); false when the platform gives none. `originals` gets one element per
    // string: empty when the string is exactly the process's, else the process's own text
    // (UTF-16 "name=value") that code page 932 cannot hold.
    virtual bool EnvironmentBlock(std::string& block, std::vector<std::u16string>& originals) = 0;
    // CreateProcess; on failure `error` gets GetLastError().
    virtual bool StartProcess(const ProcessStart& start, std::uint32_t* error) = 0;
    // ShellExecute(owner, "open", file, parameters, no directory, SW_SHOW); the result.
    virtual std::intptr_t ShellOpen(WindowHandle owner, const std::string& file,
                                    const std::string& parameters) = 0;

    // The program's message box: modal to the active window, the program's name as
    // caption, the exclamation icon when `type` names none. Returns the button chosen.
    virtual int ShowMessage(const std::string& text, unsigned type = mb::kOk) = 0;
};

// The services in use. The program installs the Win32 ones at start; tests install fakes.
Os& GetOs();
void SetOs(Os* os);

// Installs an implementation for the life of a scope (tests).
class ScopedOs {
public:
    explicit ScopedOs(Os& os);
    ~ScopedOs();
    ScopedOs(const ScopedOs&) = delete;
    ScopedOs& operator=(const ScopedOs&) = delete;

private:
    Os* previous_;
};

}  // namespace verrow
