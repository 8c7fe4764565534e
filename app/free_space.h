// The free-space display's figures: mebibytes of the launch drive, formatted for the bar's
// label and converted back to the bar's range and position. Portable; the main window
// asks the operating-system services and hands the result to its bar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace verrow {

struct FreeSpaceFigures {
    std::string label;  // "<free>Mbyte/<total>Mbyte", each number as FormatField10 gives it
    int total = 0;      // the bar's upper limit, in mebibytes
    int free = 0;       // the bar's position, in mebibytes
};

// A signed decimal, right-aligned in ten characters with leading spaces, no grouping; a
// longer number is written in full (what "%10I64d" gives).
std::string FormatField10(std::int64_t value);

// A decimal text to int as the C runtime's atoi does: leading white space skipped, an
// optional sign, digits up to the first other character, 0 when there are none. Values
// beyond the int range give INT_MAX or INT_MIN, as the current runtime documents.
int CrtAtoi(std::string_view text);

// Both amounts rounded down to whole mebibytes (a 20-bit shift), formatted, and read back.
FreeSpaceFigures FreeSpaceFor(std::uint64_t totalBytes, std::uint64_t freeBytes);

// The figures of the next refresh for `directory`. When the query fails they are 0 and 0
// if nothing has been shown before (`shownBefore` false); otherwise there are none, and
// the display keeps what it shows.
std::optional<FreeSpaceFigures> NextFreeSpace(Os& os, const std::string& directory, bool shownBefore);

}  // namespace verrow
