// Shared by the fuzz targets: a check that stops the run with the failing condition, and
// the code page 932 character walk written out again, so that the helpers under test are
// not their own reference.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace verrow::fuzz {

inline bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Offsets at which a character starts, plus the end: a lead byte takes the byte after
// it, whatever that is; a lead byte at the very end stands alone.
inline std::vector<bool> Boundaries(std::string_view s) {
    std::vector<bool> at(s.size() + 1, false);
    for (std::size_t i = 0; i < s.size();) {
        at[i] = true;
        i += Lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    }
    at[s.size()] = true;
    return at;
}

// Whether a value written through the profile writer can read back byte for byte. It
// cannot when it holds a line end or a zero byte of its own, or when it ends with a lone
// lead byte (which would take the line end). Spaces around it and enclosing quotes are
// the writer's business: it quotes such values, and the check holds it to that.
inline bool ProfileRoundTrips(std::string_view v) {
    if (v.find('\0') != std::string_view::npos) return false;  // a value ends at a zero byte, even a trail byte
    bool lastIsLoneLead = false;
    for (std::size_t i = 0; i < v.size();) {
        unsigned char c = static_cast<unsigned char>(v[i]);
        std::size_t n = Lead(c) && i + 1 < v.size() ? 2 : 1;
        if (n == 1 && (c == '\r' || c == '\n')) return false;
        lastIsLoneLead = n == 1 && Lead(c);
        i += n;
    }
    return !lastIsLoneLead;
}

}  // namespace verrow::fuzz
