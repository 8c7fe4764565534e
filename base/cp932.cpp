#include "base/cp932.h"

namespace verrow::cp932 {
namespace {

unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The character at `at` as one number, single-byte letters folded; advances `at`.
unsigned NextFolded(std::string_view s, std::size_t& at) {
    std::size_t n = CharLength(s, at);
    unsigned char first = static_cast<unsigned char>(s[at]);
    unsigned value = n == 2 ? (first << 8) | static_cast<unsigned char>(s[at + 1]) : Lower(first);
    at += n;
    return value;
}

}  // namespace

std::string_view Truncate(std::string_view s, std::size_t limit) {
    if (s.size() <= limit) return s;
    std::size_t end = 0;
    while (end < s.size()) {
        std::size_t n = CharLength(s, end);
        if (end + n > limit) break;
        end += n;
    }
    return s.substr(0, end);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned x = NextFolded(a, i);
        unsigned y = NextFolded(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::string FoldCase(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size();) {
        std::size_t n = CharLength(out, i);
        if (n == 1) out[i] = static_cast<char>(Lower(static_cast<unsigned char>(out[i])));
        i += n;
    }
    return out;
}

std::size_t FindLastBackslash(std::string_view s) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == '\\') found = i;
    }
    return found;
}

std::size_t Find(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (needle.size() > haystack.size()) return std::string_view::npos;
    std::size_t last = haystack.size() - needle.size();
    for (std::size_t i = 0; i <= last; i += CharLength(haystack, i)) {
        if (i >= from && haystack.compare(i, needle.size(), needle) == 0) return i;
        if (i == haystack.size()) break;  // only an empty needle gets here
    }
    return std::string_view::npos;
}

bool ReplaceAll(std::string& text, std::string_view pattern, std::string_view with, std::size_t maxSize,
                bool* found) {
    if (found) *found = false;
    if (pattern.empty()) return true;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == pattern[0] && text.compare(i, pattern.size(), pattern) == 0) {
            out.append(text, copied, i - copied);
            out += with;
            if (out.size() > maxSize) return false;
            i += pattern.size();
            copied = i;
        } else {
            i += CharLength(text, i);
        }
    }
    if (copied == 0) return true;  // nothing found
    if (found) *found = true;
    if (out.size() + (text.size() - copied) > maxSize) return false;
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return true;
}

std::string Substitute(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size();) {
        std::size_t n = CharLength(pattern, i);
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
            static_cast<std::size_t>(pattern[i + 1] - '1') < args.size()) {
            out += args.begin()[pattern[i + 1] - '1'];
            i += 2;
            continue;
        }
        out.append(pattern, i, n);
        i += n;
    }
    return out;
}

}  // namespace verrow::cp932
