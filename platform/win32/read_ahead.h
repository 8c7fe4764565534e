// Files read ahead of the one who takes them, on a helper thread. Under some systems (wine)
// every file opened is a round trip to a server, and a thousand entry files spend most of
// their load time waiting on those trips: the reader waits instead, from as early as the
// caller asks for the files, while the caller works on other things and on the files
// already read.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/scoped.h"

namespace verrow {

// From how many files reading ahead pays for its thread.
constexpr std::size_t kReadAheadFrom = 64;

// The files read ahead, kept open until CloseAll. Under wine closing a file is one more
// request to the server, which answers one at a time: made while the window was being
// made, the closes of a thousand entry files put off its showing by some 20 ms in 300.
class FilesLeftOpen {
public:
    FilesLeftOpen() = default;
    FilesLeftOpen(const FilesLeftOpen&) = delete;
    FilesLeftOpen& operator=(const FilesLeftOpen&) = delete;

    // Takes `file` to close later; leaves it where it is while keeping is paused.
    void Keep(ScopedHandle& file);
    void CloseAll();
    // While a message waits for the user, which may be long, no file stays open: those
    // kept are closed, and none is kept until the matching Resume.
    void Pause();
    void Resume();

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<ScopedHandle> files_;
    int paused_ = 0;
};

// Each file is read as Win32Os::ReadFile reads it, at most a bounded amount ahead of the
// caller; a file that the helper has not started yet is read by the caller itself. The
// order is that of the paths; the content may be older than the file when it is taken,
// since the helper starts before the window is made (another copy saving meanwhile is not
// seen). The files read go to `leftOpen` as they are read.
std::unique_ptr<FileSequence> ReadAhead(std::vector<std::string> paths, FilesLeftOpen& leftOpen);

// Win32Os::ReadFile, which leaves the file open in `file` (empty when it could not be opened).
bool ReadWholeFile(const std::string& path, std::string& bytes, ScopedHandle& file);

}  // namespace verrow
