// The one place that decides how the program's code page 932 text is handed to the
// system and read back: explicitly as code page 932, whatever the system's ANSI code
// page, through the wide-character interfaces. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace verrow {

inline constexpr unsigned kTextCodePage = 932;

std::wstring ToSystemText(std::string_view text);   // code page 932 -> UTF-16
// UTF-16 -> code page 932. A character without a code page 932 form becomes the nearest
// one the system offers, or '?', as the system's ANSI functions would give it.
std::string FromSystemText(std::wstring_view text);
// The same; `exact` tells whether the result stands for exactly `text` (it converts back
// to the same characters). Names read back from the system must be: a '?' or a
// look-alike names another file, or none.
std::string FromSystemText(std::wstring_view text, bool& exact);
// UTF-16 -> code page 932, where a character without a code page 932 form always
// becomes '?', never a look-alike: the yen sign's is a backslash.
std::string FromSystemTextWithoutLookAlikes(std::wstring_view text);

}  // namespace verrow
