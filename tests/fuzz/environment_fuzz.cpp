// BuildEnvironmentBlock over arbitrary variables and launcher environments, both modes.
// Input: one flag byte (bit 0 merge, bit 1 the platform gives no environment), then
// records ended by zero bytes: "S" + a string of the launcher's environment, or an entry
// variable "name\x01value".
// Invariants: a block is refused exactly when composing it takes more than the limit,
// counting each value at the largest size that its working copy reaches; checked with a
// small limit against the literal one-pass expansion (the variables in the map's order,
// `_VERROW_DRV_` in any letter case last, each replacing its %NAME% on character
// boundaries), whose values the block must then hold. Every block within that small
// limit also composes under the program's own limit, where the size asked for equals the
// bytes written, nothing is written past it or into a smaller buffer, and the block is
// "name=value\0" for exactly the source map's names in its order, then two zero bytes.
// (Larger blocks go through the same code with the larger limit; composing one of tens of
// megabytes is left to the unit tests, as it takes longer than a fuzz run should.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/environment.h"
#include "core/launch_entry.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_os.h"

namespace verrow::fuzz {
namespace {

constexpr std::size_t kMaxRecords = 64;
// The limit of the exact check: small, so that the literal expansion stays cheap.
constexpr std::size_t kCheckLimit = 16 << 10;

std::string ReplaceLiterally(const std::string& text, const std::string& pattern,
                             const std::string& with) {
    if (text.find(pattern) == std::string::npos) return text;  // not even between characters
    const std::vector<bool> boundary = Boundaries(text);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (boundary[i] && text.compare(i, pattern.size(), pattern) == 0) {
            out += with;
            i += pattern.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool IsDriveName(const std::string& name) {
    static const char kDrive[] = "_VERROW_DRV_";
    if (name.size() != sizeof kDrive - 1) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != kDrive[i]) return false;
    }
    return true;
}

// The values of the literal composition, or false when it takes more than `limit` bytes:
// every name, '=', value and zero byte, with each value at the largest size its working
// copy has after any step, and two zero bytes at the end.
bool ComposeLiterally(const VarMap& source, std::size_t limit, std::vector<std::string>& values) {
    std::vector<const VarMap::Item*> order;
    for (const auto& u : source) {
        if (!IsDriveName(u.first)) order.push_back(&u);
    }
    for (const auto& u : source) {
        if (IsDriveName(u.first)) order.push_back(&u);
    }
    std::size_t total = 2;
    for (const auto& v : source) total += v.first.size() + v.second.size() + 2;
    if (total > limit) return false;
    for (const auto& v : source) {
        std::string work = v.second;
        std::size_t largest = work.size();
        for (const VarMap::Item* u : order) {
            work = ReplaceLiterally(work, "%" + u->first + "%", u->second);
            largest = std::max(largest, work.size());
            if (total + largest - v.second.size() > limit) return false;
        }
        total += largest - v.second.size();
        values.push_back(work);
    }
    return true;
}

}  // namespace
}  // namespace verrow::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace verrow;
    using namespace verrow::fuzz;
    if (size == 0) return 0;
    const bool merge = data[0] & 1;
    const bool noEnvironment = data[0] & 2;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::string> inherited;
    LaunchEntry entry;
    std::size_t records = 0;
    for (std::size_t pos = 0; pos < rest.size() && records < kMaxRecords; ++records) {
        std::size_t end = rest.find('\0', pos);
        if (end == std::string_view::npos) end = rest.size();
        std::string_view record = rest.substr(pos, end - pos);
        pos = end + 1;
        if (!record.empty() && record[0] == 'S') {
            inherited.emplace_back(record.substr(1));
        } else {
            std::size_t split = record.find('\x01');
            std::string_view name = record.substr(0, split);
            std::string_view value = split == std::string_view::npos ? std::string_view() : record.substr(split + 1);
            entry.SetEnv(std::string(name), std::string(value));
        }
    }
    entry.SetOverWriteEnv(merge ? 1 : 0);

    test::FakeOs os;
    ScopedOs scope(os);
    os.SetEnvironment(inherited);
    if (noEnvironment) os.SetNoEnvironment();

    VarMap source;
    if (merge) SnapshotEnvironment(source);
    for (const auto& variable : entry.GetEnvMap()) source.Set(variable.first, variable.second);

    std::vector<std::string> literal;
    const bool fits = ComposeLiterally(source, kCheckLimit, literal);
    // Compared without the limit on work, which the literal way does not know.
    const std::size_t kNoWorkLimit = static_cast<std::size_t>(-1);
    const std::string checked = ComposeEnvironmentBlock(source, kCheckLimit, nullptr, kNoWorkLimit);
    FUZZ_CHECK(checked.empty() == (source.empty() || !fits));

    if (entry.GetEnvMap().empty()) {
        FUZZ_CHECK(entry.BuildEnvironmentBlock(nullptr, 0) == 0);
        return 0;
    }
    if (!fits) return 0;
    const std::size_t blockSize = entry.BuildEnvironmentBlock(nullptr, 0);
    if (blockSize == 0) {
        // Refused only for what it would go through.
        FUZZ_CHECK(ComposeEnvironmentBlock(source).empty());
        FUZZ_CHECK(!ComposeEnvironmentBlock(source, kMaxComposedBytes, nullptr, kNoWorkLimit).empty());
        return 0;
    }
    FUZZ_CHECK(blockSize == checked.size());

    const char kUnwritten = '\x55';
    std::vector<char> buffer(blockSize + 8, kUnwritten);
    // A buffer that is too small is left alone.
    FUZZ_CHECK(entry.BuildEnvironmentBlock(buffer.data(), blockSize - 1) == blockSize);
    for (char c : buffer) FUZZ_CHECK(c == kUnwritten);
    FUZZ_CHECK(entry.BuildEnvironmentBlock(buffer.data(), blockSize) == blockSize);
    for (std::size_t i = blockSize; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kUnwritten);
    const std::string block(buffer.data(), blockSize);
    FUZZ_CHECK(block == checked);

    std::size_t pos = 0;
    std::size_t n = 0;
    for (const auto& variable : source) {
        FUZZ_CHECK(block.compare(pos, variable.first.size(), variable.first) == 0);
        pos += variable.first.size();
        FUZZ_CHECK(pos < block.size() && block[pos] == '=');
        ++pos;
        const std::size_t end = block.find('\0', pos);
        FUZZ_CHECK(end != std::string::npos);
        FUZZ_CHECK(block.compare(pos, end - pos, literal[n]) == 0);
        pos = end + 1;
        ++n;
    }
    FUZZ_CHECK(block.size() - pos == 2 && block[pos] == '\0' && block[pos + 1] == '\0');
    return 0;
}
