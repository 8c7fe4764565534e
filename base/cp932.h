// Byte-string helpers for code page 932 (Shift_JIS as Windows has it). A lead byte
// starts a double-byte character; its trail byte may look like '\\', '|' or a letter,
// so these helpers never treat a trail byte as a character of its own.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace verrow::cp932 {

// 0x81-0x9F and 0xE0-0xFC.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Length in bytes of the character that starts at `at`: 2 for a lead byte with a byte
// after it (whatever that byte is, as the platform pairs them), else 1.
inline std::size_t CharLength(std::string_view s, std::size_t at) {
    return IsLeadByte(static_cast<unsigned char>(s[at])) && at + 1 < s.size() ? 2 : 1;
}

// The longest prefix of `s` of at most `limit` bytes that does not end inside a
// double-byte character.
std::string_view Truncate(std::string_view s, std::size_t limit);

// Case-insensitive three-way comparison: single-byte letters fold to one case, a
// double-byte character is compared as one unit and never split. A lead byte at the
// very end stands alone.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

// `s` with its single-byte letters in lower case; double-byte characters unchanged.
// Two strings are EqualsNoCase exactly when their folded forms are equal.
std::string FoldCase(std::string_view s);

// Position of the last '\\' that is a character of its own, or npos.
std::size_t FindLastBackslash(std::string_view s);

// First occurrence of `needle` at or after `from` that starts on a character boundary
// of `haystack`, byte for byte; npos when there is none.
std::size_t Find(std::string_view haystack, std::string_view needle, std::size_t from = 0);

// Replaces every occurrence of `pattern` that starts on a character boundary, left to
// right; text put in is not searched again. False, and `text` left as it was, as soon as
// the result would be longer than `maxSize`: what is built is always the start of the
// result, so it is known to be too long before it is whole. `found`, when given, tells
// whether there was an occurrence. An empty pattern occurs nowhere.
bool ReplaceAll(std::string& text, std::string_view pattern, std::string_view with,
                std::size_t maxSize = std::string::npos, bool* found = nullptr);

// `pattern` with each "%1" to "%9" replaced by that argument (one beyond the arguments
// stays as it is); what is put in is not searched again. The one way a text of
// resources/texts.h takes its values.
std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace verrow::cp932
