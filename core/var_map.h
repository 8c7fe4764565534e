// A map of environment variables: name to value, names compared byte for byte.
// Walks follow the order in which names were first inserted, so an entry file read and
// written back keeps its numbering.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace verrow {

class VarMap {
public:
    using Item = std::pair<std::string, std::string>;
    using const_iterator = std::vector<Item>::const_iterator;

    // Inserts at the end, or replaces the value in place.
    void Set(const std::string& name, const std::string& value);
    // True and the value when the name is there; `value` untouched otherwise.
    bool Lookup(const std::string& name, std::string& value) const;
    bool Contains(const std::string& name) const;
    bool Remove(const std::string& name);
    void Clear();

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    std::vector<Item> items_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace verrow
