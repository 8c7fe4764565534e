#include "core/var_map.h"

namespace verrow {

std::size_t VarMap::Find(std::string_view name) const { return Find(name, HashBytes(name)); }

std::size_t VarMap::Find(std::string_view name, std::size_t hash) const {
    return slots_.Find(hash, [&](std::size_t at) { return items_[at].first == name; });
}

void VarMap::Reindex(std::size_t capacity) {
    slots_.Rebuild(capacity, items_.size(), [&](std::size_t at) { return HashBytes(items_[at].first); });
}

std::size_t VarMap::Set(const std::string& name, const std::string& value) {
    std::size_t hash = HashBytes(name);
    std::size_t at = Find(name, hash);
    if (at != kNone) {
        items_[at].second = value;
        return at;
    }
    items_.emplace_back(name, value);
    slots_.Add(items_.size(), hash, [&](std::size_t i) { return HashBytes(items_[i].first); });
    return items_.size() - 1;
}

std::size_t VarMap::Set(std::string&& name, std::string&& value) {
    std::size_t hash = HashBytes(name);
    std::size_t at = Find(name, hash);
    if (at != kNone) {
        items_[at].second = std::move(value);
        return at;
    }
    items_.emplace_back(std::move(name), std::move(value));
    slots_.Add(items_.size(), hash, [&](std::size_t i) { return HashBytes(items_[i].first); });
    return items_.size() - 1;
}

bool VarMap::Lookup(const std::string& name, std::string& value) const {
    std::size_t at = Find(name);
    if (at == kNone) return false;
    value = items_[at].second;
    return true;
}

bool VarMap::Contains(const std::string& name) const { return Find(name) != kNone; }

bool VarMap::Remove(const std::string& name) {
    std::size_t at = Find(name);
    if (at == kNone) return false;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    Reindex(items_.size());  // every later position has moved down by one
    return true;
}

void VarMap::Reserve(std::size_t count) {
    items_.reserve(count);
    if (!slots_.HasRoomFor(count)) Reindex(count);
}

void VarMap::Clear() {
    items_.clear();
    slots_.Clear();
}

}  // namespace verrow
