#include "core/var_map.h"

#include <cstring>

namespace verrow {
namespace {

// Four bytes at a time: a map is filled with a hundred thousand names at times.
std::size_t HashOf(std::string_view s) {
    std::uint32_t hash = 2166136261u;
    std::size_t i = 0;
    for (; i + 4 <= s.size(); i += 4) {
        std::uint32_t word;
        std::memcpy(&word, s.data() + i, sizeof word);
        hash = (hash ^ word) * 16777619u;
        hash ^= hash >> 15;  // the table takes the low bits: bring the high bytes down
    }
    for (; i < s.size(); ++i) hash = (hash ^ static_cast<unsigned char>(s[i])) * 16777619u;
    return hash;
}

}  // namespace

std::size_t VarMap::Find(std::string_view name) const { return Find(name, HashOf(name)); }

std::size_t VarMap::Find(std::string_view name, std::size_t hash) const {
    if (slots_.empty()) return kNone;
    std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at] != 0; at = (at + 1) & mask) {
        if (items_[slots_[at] - 1].first == name) return slots_[at] - 1;
    }
    return kNone;
}

void VarMap::AddSlot(std::size_t position, std::size_t hash) {
    // At most half full, so probes stay short.
    if (slots_.size() < 2 * items_.size()) {
        Reindex(items_.size());
        return;
    }
    std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = static_cast<std::uint32_t>(position + 1);
}

void VarMap::Reindex(std::size_t capacity) {
    std::size_t size = 16;
    while (size < 2 * capacity) size *= 2;
    slots_.assign(size, 0);
    std::size_t mask = size - 1;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        std::size_t at = HashOf(items_[i].first) & mask;
        while (slots_[at] != 0) at = (at + 1) & mask;
        slots_[at] = static_cast<std::uint32_t>(i + 1);
    }
}

std::size_t VarMap::Set(const std::string& name, const std::string& value) {
    std::size_t hash = HashOf(name);
    std::size_t at = Find(name, hash);
    if (at != kNone) {
        items_[at].second = value;
        return at;
    }
    items_.emplace_back(name, value);
    AddSlot(items_.size() - 1, hash);
    return items_.size() - 1;
}

std::size_t VarMap::Set(std::string&& name, std::string&& value) {
    std::size_t hash = HashOf(name);
    std::size_t at = Find(name, hash);
    if (at != kNone) {
        items_[at].second = std::move(value);
        return at;
    }
    items_.emplace_back(std::move(name), std::move(value));
    AddSlot(items_.size() - 1, hash);
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
    if (slots_.size() < 2 * count) Reindex(count);
}

void VarMap::Clear() {
    items_.clear();
    slots_.clear();
}

}  // namespace verrow
