// What the user is told when the end of a run could not save everything: the stick may be
// write-protected, full or already pulled out, and silence would lose work without a word.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace verrow {

// Names listed at most; the rest are counted.
inline constexpr std::size_t kReportNameLimit = 20;

// The one message for the registrations in `entryNames` (one name per line, in order),
// saying so when `folderGone` (their folder is not there), and, when `settingsFailed`, the
// settings file. Empty when nothing failed.
std::string UnsavedReport(const std::vector<std::string>& entryNames, bool settingsFailed,
                          bool folderGone = false);

}  // namespace verrow
