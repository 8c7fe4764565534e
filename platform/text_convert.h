// Conversion of Unicode text into the program's code page 932, for files that a modern
// editor saved with a byte-order mark. On Windows the system converts (with its best-fit
// mappings); elsewhere iconv does. Characters without a code page 932 form become '?'.
#pragma once

#include <string>
#include <string_view>

namespace verrow {

std::string Utf16ToCp932(std::u16string_view text);
// Invalid UTF-8 becomes U+FFFD first (one per maximal invalid sequence), as Windows
// decodes it, and so '?'.
std::string Utf8ToCp932(std::string_view text);
// The UTF-16 form of UTF-8 text, invalid sequences as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace verrow
