#include "core/environment.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/cp932.h"
#include "platform/os.h"

namespace verrow {
namespace {

// Replaces every occurrence of `pattern` that starts on a character boundary, from left
// to right; text put in is not searched again. `pattern` begins with '%'.
void ReplaceAll(std::string& text, std::string_view pattern, std::string_view with) {
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '%' && text.compare(i, pattern.size(), pattern) == 0) {
            out.append(text, copied, i - copied);
            out += with;
            i += pattern.size();
            copied = i;
        } else {
            i += cp932::CharLength(text, i);
        }
    }
    if (copied == 0) return;  // nothing found
    out.append(text, copied, std::string::npos);
    text.swap(out);
}

std::string Reference(std::string_view name) {
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern += '%';
    pattern += name;
    pattern += '%';
    return pattern;
}

// One pass over the variables in order: each replaces its %NAME% in the working copy.
// Most variables do not occur in a value, so instead of trying each one in turn this
// jumps to the next one (in order) that does: with no '%' in any name, "%X%" occurs at
// a boundary '%' exactly when X is the text up to the next '%'. The result is the same
// as trying every variable.
class Expander {
public:
    explicit Expander(const VarMap& source) {
        for (const auto& variable : source) {
            order_.emplace(variable.first, items_.size());
            items_.push_back(&variable);
            if (variable.first.find('%') != std::string::npos) percentInNames_ = true;
        }
    }

    void Expand(std::string& text) const {
        if (percentInNames_) {
            for (const VarMap::Item* u : items_) {
                if (text.find('%') == std::string::npos) return;
                ReplaceAll(text, Reference(u->first), u->second);
            }
            return;
        }
        for (std::size_t next = 0; next < items_.size();) {
            std::size_t first = NextReferenced(text, next);
            if (first == kNone) return;
            ReplaceAll(text, Reference(items_[first]->first), items_[first]->second);
            next = first + 1;
        }
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The lowest position at or after `from` of a variable referenced in `text`.
    std::size_t NextReferenced(std::string_view text, std::size_t from) const {
        std::size_t best = kNone;
        for (std::size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) {
            if (text[i] != '%') continue;
            std::size_t close = text.find('%', i + 1);
            if (close == std::string_view::npos) break;
            auto found = order_.find(text.substr(i + 1, close - i - 1));
            if (found != order_.end() && found->second >= from && found->second < best) {
                best = found->second;
            }
        }
        return best;
    }

    std::vector<const VarMap::Item*> items_;
    std::unordered_map<std::string_view, std::size_t> order_;
    bool percentInNames_ = false;
};

}  // namespace

bool SnapshotEnvironment(VarMap& vars) {
    vars.Clear();
    std::string block;
    if (!GetOs().EnvironmentBlock(block)) return false;
    std::size_t pos = 0;
    while (pos < block.size()) {
        std::size_t end = block.find('\0', pos);
        if (end == std::string::npos) end = block.size();
        if (end == pos) break;  // the empty string that ends the block
        std::string_view entry(block.data() + pos, end - pos);
        // From the second byte on, so "=C:=C:\work" keeps its first '=' in the name.
        std::size_t equals = entry.find('=', 1);
        if (equals != std::string_view::npos) {
            vars.Set(std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1)));
        }
        pos = end + 1;
    }
    return true;
}

std::string ComposeEnvironmentBlock(const VarMap& source) {
    if (source.empty()) return std::string();
    Expander expander(source);
    std::string block;
    for (const auto& variable : source) {
        std::string value = variable.second;
        expander.Expand(value);
        block += variable.first;
        block += '=';
        block += value;
        block += '\0';
    }
    // The block ends with an empty string; one more zero byte keeps the size that the
    // joined form always had (its extra separator and its terminator).
    block += '\0';
    block += '\0';
    return block;
}

}  // namespace verrow
