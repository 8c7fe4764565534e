#include "platform/text_convert.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "platform/scoped.h"

namespace verrow {

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = byte(i);
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3, code = c & 0x0F;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4, code = c & 0x07;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        }
        // Take continuation bytes while they fit; a broken sequence is one U+FFFD.
        std::size_t taken = 1;
        bool whole = length != 0;
        while (whole && taken < length) {
            if (i + taken >= text.size()) { whole = false; break; }
            unsigned char next = byte(i + taken);
            unsigned char lo = taken == 1 ? low : 0x80, hi = taken == 1 ? high : 0xBF;
            if (next < lo || next > hi) { whole = false; break; }
            code = (code << 6) | (next & 0x3F);
            ++taken;
        }
        i += taken;
        if (!whole) {
            out += u'\uFFFD';
        } else if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

#ifdef _WIN32

std::string Utf16ToCp932(std::u16string_view text) {
    if (text.empty()) return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(932, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(932, 0, wide, size, out.data(), length, nullptr, nullptr);
    return out;
}

#else

namespace {

struct CloseConverter {
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
    void operator()(iconv_t handle) const { iconv_close(handle); }
};

class Converter {
public:
    Converter() : handle_(iconv_open("CP932", "UTF-16LE")) {}
    bool valid() const { return static_cast<bool>(handle_); }

    // One UTF-16 code unit (not a surrogate); false when it has no code page 932 form.
    bool Convert(char16_t unit, std::string& out) {
        char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        char buffer[8];
        char* source = in;
        char* target = buffer;
        std::size_t left = sizeof in, room = sizeof buffer;
        if (iconv(handle_.get(), &source, &left, &target, &room) == static_cast<std::size_t>(-1)) {
            iconv(handle_.get(), nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(target - buffer));
        return true;
    }

private:
    Scoped<iconv_t, CloseConverter> handle_;
};

}  // namespace

std::string Utf16ToCp932(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    Converter converter;
    for (char16_t unit : text) {
        // Like Windows: each half of a surrogate pair becomes a '?' of its own.
        bool isSurrogate = unit >= 0xD800 && unit <= 0xDFFF;
        if (isSurrogate || !converter.valid() || !converter.Convert(unit, out)) out += '?';
    }
    return out;
}

#endif

std::string Utf8ToCp932(std::string_view text) { return Utf16ToCp932(Utf8ToUtf16(text)); }

}  // namespace verrow
