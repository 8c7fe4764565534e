// A map of environment variables: name to value, names compared byte for byte.
// Walks follow the order in which names were first inserted, so an entry file read and
// written back keeps its numbering.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/slot_table.h"

namespace verrow {

class VarMap {
public:
    using Item = std::pair<std::string, std::string>;
    using const_iterator = std::vector<Item>::const_iterator;

    // Inserts at the end, or replaces the value in place; returns the variable's position
    // in the walk.
    std::size_t Set(const std::string& name, const std::string& value);
    std::size_t Set(std::string&& name, std::string&& value);
    // True and the value when the name is there; `value` untouched otherwise.
    bool Lookup(const std::string& name, std::string& value) const;
    bool Contains(const std::string& name) const;
    bool Remove(const std::string& name);
    void Clear();
    // Room for `count` variables in all, so that adding them allocates nothing more.
    void Reserve(std::size_t count);

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    static constexpr std::size_t kNone = SlotTable::kNone;
    std::size_t Find(std::string_view name) const;  // position in items_, or kNone
    std::size_t Find(std::string_view name, std::size_t hash) const;
    void Reindex(std::size_t capacity);

    std::vector<Item> items_;
    SlotTable slots_;  // positions in items_ by the hash of their names
};

}  // namespace verrow
