#include "core/environment.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "core/launch_entry.h"
#include "platform/os.h"

namespace verrow {
namespace {

std::string Reference(std::string_view name) {
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern += '%';
    pattern += name;
    pattern += '%';
    return pattern;
}

// One pass over the variables in the composition order: each replaces its %NAME% in the
// working copy. Trying each one on every value would cost (variables x text) per value
// even when the value names none of them; most variables do not occur in a value, so this
// jumps to the next one (in order) that does. A name without '%' occurs at a boundary '%'
// exactly when it is the text up to the next '%'; a name with '%' in it only where that
// text is its first part. The result is the same as trying every variable.
// What a composition may go through is counted against `work`: the working copy at each
// variable a value names, and the bytes compared with each name with '%' tried. A value
// of megabytes that variable after variable names, or thousands of names that share a
// first part, would otherwise hold the launcher for minutes.
class Expander {
public:
    Expander(std::vector<const VarMap::Item*> order, std::size_t work) : items_(std::move(order)), work_(work) {
        for (std::size_t index = 0; index < items_.size(); ++index) {
            const std::string_view name = items_[index]->first;
            const std::size_t percent = name.find('%');
            if (percent == std::string_view::npos) {
                plain_.emplace(name, index);
            } else {
                withPercent_[name.substr(0, percent)].push_back(index);
            }
        }
    }

    // False as soon as the working copy would grow beyond `maxSize`, or the work left is
    // used up; `text` is then of no use. `largest` gets the largest size the working copy
    // had on the way; `replaced` tells whether a reference was replaced.
    bool Expand(std::string& text, std::size_t maxSize, std::size_t& largest, bool& replaced) {
        largest = text.size();
        replaced = false;
        bool found = false;
        for (std::size_t next = 0; next < items_.size();) {
            const std::size_t first = NextReferenced(text, next);
            if (first == kOutOfWork) return false;
            if (first == kNone) return true;
            if (!Spend(text.size())) return false;
            if (!cp932::ReplaceAll(text, Reference(items_[first]->first), items_[first]->second, maxSize, &found)) {
                return false;
            }
            if (found) replaced = true;
            largest = std::max(largest, text.size());
            next = first + 1;
        }
        return true;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr std::size_t kOutOfWork = kNone - 1;

    bool Spend(std::size_t bytes) {
        if (bytes > work_) return false;
        work_ -= bytes;
        return true;
    }

    // The lowest position at or after `from` of a variable referenced in `text`, kNone,
    // or kOutOfWork.
    std::size_t NextReferenced(std::string_view text, std::size_t from) {
        std::size_t best = kNone;
        for (std::size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) {
            if (text[i] != '%') continue;
            const std::size_t close = text.find('%', i + 1);
            if (close == std::string_view::npos) break;  // no '%' after this one
            const std::string_view part = text.substr(i + 1, close - i - 1);
            auto found = plain_.find(part);
            if (found != plain_.end() && found->second >= from && found->second < best) best = found->second;
            auto candidates = withPercent_.find(part);
            if (candidates == withPercent_.end()) continue;
            // In order: none after the best so far can be better.
            for (auto index = std::lower_bound(candidates->second.begin(), candidates->second.end(), from);
                 index != candidates->second.end() && *index < best; ++index) {
                const std::string& name = items_[*index]->first;
                const std::size_t end = i + 1 + name.size();
                std::size_t same = 0;  // the bytes compared, counted as work
                if (end < text.size() && text[end] == '%') {
                    while (same < name.size() && text[i + 1 + same] == name[same]) ++same;
                    if (same == name.size()) best = *index;
                }
                if (!Spend(same + 1)) return kOutOfWork;
            }
        }
        return best;
    }

    std::vector<const VarMap::Item*> items_;
    std::size_t work_;
    std::unordered_map<std::string_view, std::size_t> plain_;
    std::unordered_map<std::string_view, std::vector<std::size_t>> withPercent_;
};

// The order in which the variables replace their references: the map's, except that the
// launch drive comes last, so that a %_VERROW_DRV_% which any other variable brings in is
// still expanded wherever the drive variable stands (entry files often have it first).
std::vector<const VarMap::Item*> CompositionOrder(const VarMap& source) {
    std::vector<const VarMap::Item*> order;
    std::vector<const VarMap::Item*> drive;
    order.reserve(source.size());
    for (const auto& variable : source) {
        const bool isDrive = variable.first.size() == sizeof kDriveVariable - 1 &&
                             cp932::EqualsNoCase(variable.first, kDriveVariable);
        (isDrive ? drive : order).push_back(&variable);
    }
    order.insert(order.end(), drive.begin(), drive.end());
    return order;
}

}  // namespace

bool SnapshotEnvironment(VarMap& vars, std::vector<std::u16string>* originals) {
    vars.Clear();
    if (originals) originals->clear();
    std::string block;
    std::vector<std::u16string> own;
    if (!GetOs().EnvironmentBlock(block, own)) return false;
    std::size_t pos = 0;
    for (std::size_t index = 0; pos < block.size(); ++index) {
        std::size_t end = block.find('\0', pos);
        if (end == std::string::npos) end = block.size();
        if (end == pos) break;  // the empty string that ends the block
        std::string_view entry(block.data() + pos, end - pos);
        // From the second byte on, so "=C:=C:\work" keeps its first '=' in the name.
        std::size_t equals = entry.find('=', 1);
        if (equals != std::string_view::npos) {
            const std::size_t at = vars.Set(std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1)));
            if (originals) {
                // The last string of a name decides, as for its value.
                originals->resize(vars.size());
                (*originals)[at] = index < own.size() ? std::move(own[index]) : std::u16string();
            }
        }
        pos = end + 1;
    }
    return true;
}

std::string ComposeEnvironmentBlock(const VarMap& source, std::size_t limit, std::vector<bool>* untouched,
                                    std::size_t work) {
    if (untouched) untouched->clear();
    if (source.empty()) return std::string();
    // What the composition takes: the block, with every value at the largest size that
    // its working copy reaches (normally its final one). Each value at least its size as
    // given, and the two zero bytes at the end.
    std::size_t composed = 2;
    for (const auto& variable : source) {
        composed += variable.first.size() + variable.second.size() + 2;
        if (composed > limit) return std::string();
    }
    Expander expander(CompositionOrder(source), work);
    std::string block;
    block.reserve(composed);
    for (const auto& variable : source) {
        std::string value = variable.second;
        std::size_t largest = 0;
        bool replaced = false;
        if (!expander.Expand(value, variable.second.size() + (limit - composed), largest, replaced)) {
            return std::string();
        }
        composed += largest - variable.second.size();
        if (untouched) untouched->push_back(!replaced);
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
