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

inline bool ProfileSpace(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

// Whether a value written as "key=value" into a profile file can read back byte for
// byte. It cannot when it holds a line end or a zero byte of its own, when it begins or
// ends with a space (trimmed), when it is enclosed in one pair of quotes (removed on
// reading), or when it ends with a lone lead byte (which would take the line end).
inline bool ProfileRoundTrips(std::string_view v) {
    if (v.empty()) return true;
    if (v.find('\0') != std::string_view::npos) return false;  // a value ends at a zero byte, even a trail byte
    if (ProfileSpace(static_cast<unsigned char>(v.front()))) return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
    bool lastIsSingle = false;
    bool lastIsLoneLead = false;
    for (std::size_t i = 0; i < v.size();) {
        unsigned char c = static_cast<unsigned char>(v[i]);
        std::size_t n = Lead(c) && i + 1 < v.size() ? 2 : 1;
        if (n == 1 && (c == '\r' || c == '\n')) return false;
        lastIsSingle = n == 1 && ProfileSpace(c);
        lastIsLoneLead = n == 1 && Lead(c);
        i += n;
    }
    return !lastIsSingle && !lastIsLoneLead;
}

}  // namespace verrow::fuzz
