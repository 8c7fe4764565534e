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

namespace verrow {

// From how many files reading ahead pays for its thread.
constexpr std::size_t kReadAheadFrom = 64;

// Each file is read with `os`.ReadFile, at most a bounded amount ahead of the caller; a file
// that the helper has not started yet is read by the caller itself, so the order and the
// content are those of reading each file when it is taken.
std::unique_ptr<FileSequence> ReadAhead(Os& os, std::vector<std::string> paths);

}  // namespace verrow
