#include "platform/win32_text.h"

#include <windows.h>

namespace verrow {

std::wstring ToSystemText(std::string_view text) {
    if (text.empty()) return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(kTextCodePage, 0, text.data(), size, out.data(), length);
    return out;
}

namespace {

std::string FromWide(std::wstring_view text, DWORD flags) {
    if (text.empty()) return std::string();
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(kTextCodePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(kTextCodePage, flags, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace

std::string FromSystemText(std::wstring_view text) { return FromWide(text, 0); }

std::string FromSystemTextWithoutLookAlikes(std::wstring_view text) { return FromWide(text, WC_NO_BEST_FIT_CHARS); }

std::string FromSystemText(std::wstring_view text, bool& exact) {
    std::string out = FromSystemText(text);
    // Both a replacement '?' and a best-fit look-alike (e with diaeresis as e, the yen sign
    // as a backslash) show on the way back.
    exact = ToSystemText(out) == text;
    return out;
}

}  // namespace verrow
