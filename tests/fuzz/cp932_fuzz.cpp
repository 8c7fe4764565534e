// The code page 932 helpers, path splitting and the drive rule over arbitrary bytes.
// Input: one byte that splits the rest into two strings a and b. Each string lies in a
// heap block of exactly its size, so a read past its end is caught.
// Invariants: Truncate gives the longest whole-character prefix within the limit; Find
// matches only on character boundaries and finds the first such match; CompareNoCase is
// antisymmetric, transitive and agrees with FoldCase; FindLastBackslash names the last
// backslash that is a character of its own; SplitPath's parts join to the input; the
// drive rule accepts exactly the paths that begin with the drive.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp932.h"
#include "base/path.h"
#include "core/drive_rule.h"
#include "tests/fuzz/fuzz_check.h"

namespace verrow::fuzz {
namespace {

constexpr auto npos = std::string_view::npos;

class Exact {
public:
    explicit Exact(std::string_view s) : bytes_(std::make_unique<char[]>(s.size())), size_(s.size()) {
        if (!s.empty()) std::memcpy(bytes_.get(), s.data(), s.size());
    }
    std::string_view view() const { return std::string_view(bytes_.get(), size_); }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

int Sign(int v) { return (v > 0) - (v < 0); }

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void CheckTruncate(std::string_view a) {
    const std::vector<bool> boundary = Boundaries(a);
    for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{2}, a.size() / 2,
                              a.size() > 0 ? a.size() - 1 : 0, a.size()}) {
        std::string_view cut = cp932::Truncate(a, limit);
        FUZZ_CHECK(cut.data() == a.data());
        FUZZ_CHECK(cut.size() <= limit && boundary[cut.size()]);
        if (cut.size() < a.size()) {
            std::size_t next = cut.size() + 1;
            while (!boundary[next]) ++next;
            FUZZ_CHECK(next > limit);
        }
    }
}

void CheckFind(std::string_view haystack, std::string_view needle, std::size_t from) {
    const std::vector<bool> boundary = Boundaries(haystack);
    std::size_t expected = npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (boundary[i] && haystack.compare(i, needle.size(), needle) == 0) {
            expected = i;
            break;
        }
    }
    FUZZ_CHECK(cp932::Find(haystack, needle, from) == expected);
}

void CheckCompare(std::string_view a, std::string_view b, std::string_view c) {
    const int ab = Sign(cp932::CompareNoCase(a, b));
    FUZZ_CHECK(ab == -Sign(cp932::CompareNoCase(b, a)));
    FUZZ_CHECK((ab == 0) == cp932::EqualsNoCase(a, b));
    FUZZ_CHECK((ab == 0) == (cp932::FoldCase(a) == cp932::FoldCase(b)));
    FUZZ_CHECK(cp932::CompareNoCase(a, a) == 0);
    const int bc = Sign(cp932::CompareNoCase(b, c));
    const int ac = Sign(cp932::CompareNoCase(a, c));
    if (ab <= 0 && bc <= 0) FUZZ_CHECK(ac <= 0);
    if (ab >= 0 && bc >= 0) FUZZ_CHECK(ac >= 0);
    // Folding changes single-byte letters only.
    const std::string folded = cp932::FoldCase(a);
    FUZZ_CHECK(folded.size() == a.size());
    const std::vector<bool> boundary = Boundaries(a);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool single = boundary[i] && boundary[i + 1];
        FUZZ_CHECK(folded[i] == (single ? Lower(a[i]) : a[i]));
    }
}

void CheckLastBackslash(std::string_view a) {
    const std::vector<bool> boundary = Boundaries(a);
    std::size_t expected = npos;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (boundary[i] && a[i] == '\\') expected = i;
    }
    FUZZ_CHECK(cp932::FindLastBackslash(a) == expected);
}

void CheckSplitPath(std::string_view a) {
    const PathParts parts = SplitPath(a);
    FUZZ_CHECK(parts.drive + parts.dir + parts.base + parts.ext == a);
    if (!parts.drive.empty()) FUZZ_CHECK(parts.drive.size() == 2 && Letter(parts.drive[0]) && parts.drive[1] == ':');
    else FUZZ_CHECK(!(a.size() >= 2 && Letter(a[0]) && a[1] == ':'));
    const std::string_view rest = a.substr(parts.drive.size());
    const std::vector<bool> boundary = Boundaries(rest);
    auto separatorAt = [&](std::size_t i) { return boundary[i] && IsPathSeparator(rest[i]); };
    if (!parts.dir.empty()) FUZZ_CHECK(separatorAt(parts.dir.size() - 1));
    for (std::size_t i = parts.dir.size(); i < rest.size(); ++i) FUZZ_CHECK(!separatorAt(i));
    const std::size_t extAt = parts.dir.size() + parts.base.size();
    if (!parts.ext.empty()) FUZZ_CHECK(boundary[extAt] && rest[extAt] == '.');
    for (std::size_t i = extAt + 1; i < rest.size(); ++i) FUZZ_CHECK(!(boundary[i] && rest[i] == '.'));
    if (parts.ext.empty()) {
        for (std::size_t i = parts.dir.size(); i < rest.size(); ++i) FUZZ_CHECK(!(boundary[i] && rest[i] == '.'));
    }
}

// What the drive rule keeps of the path after the drive: all of it, except that it never
// begins with two separators (a network path); only separators go, and one of them stays.
void CheckKept(std::string_view rest, const std::string& stored) {
    FUZZ_CHECK(stored.size() <= rest.size() && rest.substr(rest.size() - stored.size()) == stored);
    const std::size_t dropped = rest.size() - stored.size();
    for (std::size_t i = 0; i < dropped; ++i) FUZZ_CHECK(IsPathSeparator(rest[i]));
    if (dropped != 0) FUZZ_CHECK(!stored.empty() && IsPathSeparator(stored[0]));
    FUZZ_CHECK(!(stored.size() >= 2 && IsPathSeparator(stored[0]) && IsPathSeparator(stored[1])));
}

void CheckDriveRule(std::string_view path, std::string_view drive) {
    std::string stored = "\x01untouched";
    const bool accepted = ApplyDriveRule(path, drive, stored);
    const std::size_t prefix = path.size() < 2 ? path.size() : 2;
    FUZZ_CHECK(accepted == (!drive.empty() && cp932::EqualsNoCase(path.substr(0, prefix), drive)));
    if (accepted) {
        CheckKept(path.substr(prefix), stored);
    } else {
        FUZZ_CHECK(stored == "\x01untouched");
    }

    // With a real drive, written out: the path begins with that letter (either case) and ':'.
    const PathParts own = SplitPath(path);
    for (char letter : {'E', 'e', 'Z'}) {
        const char driveText[] = {letter, ':'};
        const bool expected = path.size() >= 2 && Lower(path[0]) == Lower(letter) && path[1] == ':';
        FUZZ_CHECK(ApplyDriveRule(path, std::string_view(driveText, 2), stored) == expected);
        if (expected) CheckKept(own.dir + own.base + own.ext, stored);
    }
}

}  // namespace
}  // namespace verrow::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace verrow::fuzz;
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const Exact a(rest.substr(0, split));
    const Exact b(rest.substr(split));
    const Exact c(rest.substr(split / 2, split));

    CheckTruncate(a.view());
    CheckTruncate(b.view());
    CheckFind(a.view(), b.view(), 0);
    CheckFind(b.view(), a.view(), 0);
    CheckFind(a.view(), b.view().substr(0, 3), data[0] % 4);
    CheckFind(b.view(), "%", 1);
    CheckCompare(a.view(), b.view(), c.view());
    CheckLastBackslash(a.view());
    CheckLastBackslash(b.view());
    CheckSplitPath(a.view());
    CheckSplitPath(b.view());
    CheckDriveRule(a.view(), b.view());
    CheckDriveRule(b.view(), a.view().substr(0, 2));
    return 0;
}
