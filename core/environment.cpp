#include "core/environment.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/cp932.h"
#include "platform/os.h"

namespace verrow {
namespace {

// What one composition may spend, in bytes scanned and written: 16 MB, and 16 bytes for
// every byte of the variables. References can nest so that a few kilobytes of values
// expand to gigabytes (each level multiplies), and a value with thousands of references
// is rescanned once per variable it names. No real environment comes near this bound; a
// hostile entry file reaches it in a fraction of a second instead of hanging.
class Budget {
public:
    explicit Budget(std::size_t bytes) : left_(bytes) {}
    bool Spend(std::size_t bytes) {
        if (bytes > left_) {
            left_ = 0;
            return false;
        }
        left_ -= bytes;
        return true;
    }

private:
    std::size_t left_;
};

constexpr std::size_t kBudgetBase = std::size_t{16} << 20;
constexpr std::size_t kBudgetPerSourceByte = 16;

// Replaces every occurrence of `pattern` that starts on a character boundary, from left
// to right; text put in is not searched again. `pattern` begins with '%'. False when the
// budget runs out.
bool ReplaceAll(std::string& text, std::string_view pattern, std::string_view with, Budget& budget) {
    if (!budget.Spend(text.size())) return false;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '%' && text.compare(i, pattern.size(), pattern) == 0) {
            if (!budget.Spend(with.size())) return false;
            out.append(text, copied, i - copied);
            out += with;
            i += pattern.size();
            copied = i;
        } else {
            i += cp932::CharLength(text, i);
        }
    }
    if (copied == 0) return true;  // nothing found
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return true;
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
// With few variables that is done as said. With many, trying each one on every value
// costs (variables x text) per value, which a file of thousands of variables turns into
// hours; most variables do not occur in a value, so this jumps to the next one (in order)
// that does. A name without '%' occurs at a boundary '%' exactly when it is the text up
// to the next '%'; a name with '%' in it only where that text is its first part. The
// result is the same as trying every variable.
class Expander {
public:
    explicit Expander(const VarMap& source) {
        for (const auto& variable : source) {
            const std::string_view name = variable.first;
            const std::size_t percent = name.find('%');
            if (percent == std::string_view::npos) {
                plain_.emplace(name, items_.size());
            } else {
                withPercent_[name.substr(0, percent)].push_back(items_.size());
            }
            items_.push_back(&variable);
        }
    }

    // False when the budget runs out; `text` is then of no use.
    bool Expand(std::string& text, Budget& budget) const {
        if (items_.size() <= kTryEveryVariable) {
            for (const VarMap::Item* u : items_) {
                if (!budget.Spend(text.size())) return false;
                if (text.find('%') == std::string::npos) return true;
                if (!ReplaceAll(text, Reference(u->first), u->second, budget)) return false;
            }
            return true;
        }
        for (std::size_t next = 0; next < items_.size();) {
            std::size_t first = kNone;
            if (!NextReferenced(text, next, budget, first)) return false;
            if (first == kNone) return true;
            if (!ReplaceAll(text, Reference(items_[first]->first), items_[first]->second, budget)) {
                return false;
            }
            next = first + 1;
        }
        return true;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kTryEveryVariable = 32;

    // The lowest position at or after `from` of a variable referenced in `text`, into
    // `best` (kNone when there is none). False when the budget runs out.
    bool NextReferenced(std::string_view text, std::size_t from, Budget& budget, std::size_t& best) const {
        best = kNone;
        if (!budget.Spend(text.size())) return false;
        for (std::size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) {
            if (text[i] != '%') continue;
            const std::size_t close = text.find('%', i + 1);
            if (close == std::string_view::npos) return true;  // no '%' after this one
            if (!budget.Spend(close - i)) return false;
            const std::string_view part = text.substr(i + 1, close - i - 1);
            auto found = plain_.find(part);
            if (found != plain_.end() && found->second >= from && found->second < best) best = found->second;
            auto candidates = withPercent_.find(part);
            if (candidates == withPercent_.end()) continue;
            for (std::size_t index : candidates->second) {
                if (index < from || index >= best) continue;
                const std::string& name = items_[index]->first;
                if (!budget.Spend(name.size())) return false;
                const std::size_t end = i + 1 + name.size();
                if (end < text.size() && text[end] == '%' && text.compare(i + 1, name.size(), name) == 0) {
                    best = index;
                }
            }
        }
        return true;
    }

    std::vector<const VarMap::Item*> items_;
    std::unordered_map<std::string_view, std::size_t> plain_;
    std::unordered_map<std::string_view, std::vector<std::size_t>> withPercent_;
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
    std::size_t sourceBytes = 0;
    for (const auto& variable : source) sourceBytes += variable.first.size() + variable.second.size();
    Budget budget(kBudgetBase + kBudgetPerSourceByte * sourceBytes);
    Expander expander(source);
    std::string block;
    for (const auto& variable : source) {
        std::string value = variable.second;
        if (!expander.Expand(value, budget)) return std::string();
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
