// The profile reader over arbitrary bytes: every look-up of every name the file could
// hold, cut to several buffer sizes and read as an integer; then every value found and
// slices of the raw input are written with the writer and must read back byte for byte
// where the format allows (up to a zero byte or line end, less a lead byte left alone at
// the end; see ProfileRoundTrips), and no value may add or hide a key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"
#include "tests/fuzz/fuzz_check.h"

namespace verrow::fuzz {
namespace {

constexpr int kDefault = 12345;
constexpr std::size_t kMaxNames = 48;

void AddName(std::vector<std::string>& names, std::string_view name) {
    if (names.size() < kMaxNames) names.emplace_back(name);
}

// Names taken from the raw lines: what follows '[' and what stands before '='. The
// reader decides what they mean; these are only the look-ups worth trying.
void CandidateNames(std::string_view bytes, std::vector<std::string>& sections,
                    std::vector<std::string>& keys) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::size_t close = line.rfind(']');
            AddName(sections, line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        }
        AddName(keys, line.substr(0, line.find('=')));
    }
}

void CheckValue(const ProfileReader& reader, const std::string& section, const std::string& key,
                std::size_t fileSize, std::vector<std::string>& found) {
    const bool has = reader.HasKey(section, key);
    const std::string full = reader.GetString(section, key, fileSize + 2);
    if (!has) {
        FUZZ_CHECK(full.empty());
        FUZZ_CHECK(reader.GetInt(section, key, kDefault) == kDefault);
        return;
    }
    FUZZ_CHECK(full.size() <= fileSize);
    FUZZ_CHECK(full.find('\0') == std::string::npos);

    // Cut to a buffer: the longest prefix of whole characters that leaves room for the
    // terminating zero.
    const std::vector<bool> boundary = Boundaries(full);
    for (std::size_t bufferSize : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3},
                                   std::size_t{30}, std::size_t{260}}) {
        const std::string cut = reader.GetString(section, key, bufferSize);
        if (bufferSize == 0) {
            FUZZ_CHECK(cut.empty());
            continue;
        }
        FUZZ_CHECK(cut.size() <= bufferSize - 1);
        FUZZ_CHECK(full.compare(0, cut.size(), cut) == 0);
        FUZZ_CHECK(boundary[cut.size()]);
        if (cut.size() < full.size()) {
            std::size_t next = cut.size() + 1;
            while (!boundary[next]) ++next;
            FUZZ_CHECK(next > bufferSize - 1);
        }
    }

    const int one = reader.GetInt(section, key, kDefault);
    const int other = reader.GetInt(section, key, -kDefault);
    if (full.empty()) {
        FUZZ_CHECK(one == kDefault && other == -kDefault);
    } else {
        FUZZ_CHECK(one == other);
        // Plain short decimals read as themselves.
        if (full.size() <= 9 && full.find_first_not_of("0123456789") == std::string::npos) {
            FUZZ_CHECK(one == std::atoi(full.c_str()));
        }
    }
    if (found.size() < kMaxNames) found.push_back(full);
}

}  // namespace
}  // namespace verrow::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace verrow;
    using namespace verrow::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    ProfileReader reader;
    reader.Parse(bytes);

    std::vector<std::string> sections = {"MoxEnvExec", "MoxEnvExec_Env", "Verrow", "", " "};
    std::vector<std::string> keys = {"AppName", "AppPath", "UseCustomEnv", "ENV0000_Key",
                                     "ENV0000_Val", "StartOpen", "ListStyle", ""};
    CandidateNames(bytes, sections, keys);

    // A file converted from UTF-16 can grow, so allow for that in the "whole value" size.
    const std::size_t room = size * 2 + 8;
    std::vector<std::string> found;
    for (const std::string& section : sections) {
        for (const std::string& key : keys) CheckValue(reader, section, key, room, found);
    }

    // Whatever was read, and raw slices of the input, written and read back.
    for (std::size_t i = 0; i + 8 <= size && found.size() < 2 * kMaxNames; i += 97) {
        found.emplace_back(bytes.substr(i, 8 + data[i] % 64));
    }
    ProfileWriter writer;
    for (std::size_t i = 0; i < found.size(); ++i) {
        writer.Write(i % 2 ? "MoxEnvExec_Env" : "Verrow", "K" + std::to_string(i), found[i]);
    }
    ProfileReader back;
    back.Parse(writer.Bytes());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const char* section = i % 2 ? "MoxEnvExec_Env" : "Verrow";
        const std::string key = "K" + std::to_string(i);
        FUZZ_CHECK(back.HasKey(section, key));
        // A value ends at a zero byte or a line end: only what stands before is kept.
        std::string_view kept(found[i]);
        kept = kept.substr(0, kept.find('\0'));
        const std::vector<bool> boundary = Boundaries(kept);
        for (std::size_t at = 0; at < kept.size(); ++at) {
            if (boundary[at] && (kept[at] == '\r' || kept[at] == '\n')) {
                kept = kept.substr(0, at);
                break;
            }
        }
        // A lead byte left alone at the end is not written.
        if (!kept.empty() && boundary[kept.size() - 1] && Lead(static_cast<unsigned char>(kept.back()))) {
            kept.remove_suffix(1);
        }
        // The buffer has room for bytes too many.
        if (ProfileRoundTrips(kept)) FUZZ_CHECK(back.GetString(section, key, kept.size() + 8) == kept);
    }
    return 0;
}
