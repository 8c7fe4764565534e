// The one place that decides how the program's code page 932 text is handed to the
// windowing system and read back: explicitly as code page 932, whatever the system's
// ANSI code page, through the wide-character interfaces. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace verrow {

inline constexpr unsigned kTextCodePage = 932;

std::wstring ToSystemText(std::string_view text);   // code page 932 -> UTF-16
std::string FromSystemText(std::wstring_view text);  // UTF-16 -> code page 932

}  // namespace verrow
