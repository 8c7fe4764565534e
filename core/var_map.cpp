#include "core/var_map.h"

namespace verrow {

void VarMap::Set(const std::string& name, const std::string& value) {
    auto it = index_.find(name);
    if (it != index_.end()) {
        items_[it->second].second = value;
        return;
    }
    index_.emplace(name, items_.size());
    items_.emplace_back(name, value);
}

bool VarMap::Lookup(const std::string& name, std::string& value) const {
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    value = items_[it->second].second;
    return true;
}

bool VarMap::Contains(const std::string& name) const { return index_.count(name) != 0; }

bool VarMap::Remove(const std::string& name) {
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    std::size_t at = it->second;
    index_.erase(it);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& slot : index_) {
        if (slot.second > at) --slot.second;
    }
    return true;
}

void VarMap::Clear() {
    items_.clear();
    index_.clear();
}

}  // namespace verrow
