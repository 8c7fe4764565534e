// The real operating-system services: the Win32 side of platform/os.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace verrow {

// The caption of the program's message boxes: the executable's file name without its
// folder and without its last extension (E:\tools\App.beta.exe -> App.beta).
std::string MessageCaption(std::string_view moduleFileName);

// The executable's path as the system has it, however long; empty when it cannot be had.
std::wstring ExecutablePath();
// The same in code page 932. A character the code page lacks reads as '?' in the file name
// rather than as a look-alike: the yen sign's is a backslash and would move the folder.
std::string ExecutablePathText();

class FilesLeftOpen;

class Win32Os : public Os {
public:
    Win32Os();
    ~Win32Os() override;
    Win32Os(const Win32Os&) = delete;
    Win32Os& operator=(const Win32Os&) = delete;

    bool FindFile(const std::string& path, std::uint32_t* attributes) override;
    std::string FullPath(const std::string& path) override;
    std::vector<std::string> ListFiles(const std::string& pattern) override;
    bool CreateDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    // Read ahead on a helper thread (read_ahead.h), from kReadAheadFrom files on; those
    // files stay open until CloseFilesRead, DeleteFile, ReplaceFile or a message.
    std::unique_ptr<FileSequence> ReadFiles(std::vector<std::string> paths) override;
    void CloseFilesRead() override;
    bool ReplaceFile(const std::string& path, const std::string& bytes) override;
    bool CreateNewFile(const std::string& path, const std::string& bytes) override;
    bool CreateTempFile(const std::string& folder, const std::string& prefix,
                        std::string& path) override;
    bool DiskFreeSpace(const std::string& directory, std::uint64_t* totalBytes,
                       std::uint64_t* freeBytes) override;
    bool VolumeSerial(const std::string& root, std::uint32_t& serial) override;
    bool SetThreadErrorMode(std::uint32_t mode, std::uint32_t* previous) override;
    std::string ModuleFileName() override;
    bool IsThisProgram(const std::string& path) override;
    bool ModuleFolderExact() override;
    bool EnvironmentBlock(std::string& block, std::vector<std::u16string>& originals) override;
    bool StartProcess(const ProcessStart& start, std::uint32_t* error) override;
    std::intptr_t ShellOpen(WindowHandle owner, const std::string& file,
                            const std::string& parameters) override;
    int ShowMessage(const std::string& text, unsigned type = mb::kOk) override;

    // What a file is on its volume, whatever its path.
    struct FileIdentity {
        std::uint32_t volume = 0;
        std::uint64_t index = 0, size = 0, written = 0;
        bool operator==(const FileIdentity& other) const {
            return volume == other.volume && index == other.index && size == other.size && written == other.written;
        }
    };

private:
    std::unique_ptr<FilesLeftOpen> leftOpen_;
    std::optional<FileIdentity> self_;  // the executable's, once asked for
    // How long saves may still wait for files that others hold open, in this run: a
    // session's end leaves the program only a few seconds for all of them.
    unsigned long waitLeftMs_ = 2000;
};

}  // namespace verrow
