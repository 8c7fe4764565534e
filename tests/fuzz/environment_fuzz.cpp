// BuildEnvironmentBlock over arbitrary variables and launcher environments, both modes.
// Input: one flag byte (bit 0 merge, bit 1 the platform gives no environment), then
// records ended by zero bytes: "S" + a string of the launcher's environment, or an entry
// variable "name\x01value".
// Invariants: the size asked for equals the bytes written, nothing is written past it or
// into a smaller buffer; the block is "name=value\0" for exactly the source map's names in
// its order, then two zero bytes; on small inputs each value equals the literal one-pass
// expansion (every variable in order replaces its %NAME% on character boundaries). A
// block may be refused (size 0) only when its references multiply beyond any real use;
// a small input whose literal expansion stays modest is never refused.
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

// False when a working copy grows past `limit` bytes on the way.
bool ExpandLiterally(const VarMap& source, const std::string& value, std::size_t limit, std::string& work) {
    work = value;
    for (const auto& u : source) {
        work = ReplaceLiterally(work, "%" + u.first + "%", u.second);
        if (work.size() > limit) return false;
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

    std::size_t rawBytes = 0;
    for (const auto& variable : source) rawBytes += variable.first.size() + variable.second.size();
    // The literal expansion is worked out when that is cheap: then every value must equal
    // it. The block is "modest" when it has at most 24 variables and no working copy
    // grows over 4 KB: the composition then takes at most 24 x 24 steps of four passes
    // over 4 KB, 9 MB, less than the 16 MB it may always spend, so it must not be refused.
    bool literalKnown = rawBytes <= 2048;
    std::vector<std::string> literal;
    if (literalKnown) {
        for (const auto& variable : source) {
            literal.emplace_back();
            if (!ExpandLiterally(source, variable.second, 4 << 10, literal.back())) {
                literalKnown = false;
                break;
            }
        }
    }
    const bool modest = literalKnown && source.size() <= 24;

    const std::size_t blockSize = entry.BuildEnvironmentBlock(nullptr, 0);
    if (entry.GetEnvMap().empty()) {
        FUZZ_CHECK(blockSize == 0);
        return 0;
    }
    if (blockSize == 0) {
        // Refused: references that multiply. Never for a modest input.
        FUZZ_CHECK(!modest);
        return 0;
    }
    FUZZ_CHECK(blockSize >= 2);

    const char kUnwritten = '\x55';
    std::vector<char> buffer(blockSize + 8, kUnwritten);
    // A buffer that is too small is left alone (tried on small blocks: each call composes
    // the block again, and the large ones are slow).
    if (blockSize < (64 << 10)) {
        FUZZ_CHECK(entry.BuildEnvironmentBlock(buffer.data(), blockSize - 1) == blockSize);
        for (char c : buffer) FUZZ_CHECK(c == kUnwritten);
    }
    FUZZ_CHECK(entry.BuildEnvironmentBlock(buffer.data(), blockSize) == blockSize);
    for (std::size_t i = blockSize; i < buffer.size(); ++i) FUZZ_CHECK(buffer[i] == kUnwritten);
    const std::string block(buffer.data(), blockSize);

    std::size_t pos = 0;
    std::size_t n = 0;
    for (const auto& variable : source) {
        FUZZ_CHECK(block.compare(pos, variable.first.size(), variable.first) == 0);
        pos += variable.first.size();
        FUZZ_CHECK(pos < block.size() && block[pos] == '=');
        ++pos;
        const std::size_t end = block.find('\0', pos);
        FUZZ_CHECK(end != std::string::npos);
        if (literalKnown) FUZZ_CHECK(block.compare(pos, end - pos, literal[n]) == 0);
        pos = end + 1;
        ++n;
    }
    FUZZ_CHECK(block.size() - pos == 2 && block[pos] == '\0' && block[pos + 1] == '\0');
    return 0;
}
