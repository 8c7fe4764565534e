// A hash index of positions into an array the caller keeps: open addressing with linear
// probing, each slot holding a position + 1 (0: free), at most half full. The names stay
// in the caller's array, so an index costs no copy of a name and no allocation per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace verrow {

// FNV-1a, four bytes at a time (tables are filled with a hundred thousand names at times).
// `fold` is or-ed into every byte: 0x20 folds the letters, so that names equal but for
// letter case hash alike (trail bytes get the bit too; that only costs a few collisions).
inline std::size_t HashBytes(std::string_view s, unsigned char fold = 0) {
    const std::uint32_t foldWord = fold * 0x01010101u;
    std::uint32_t hash = 2166136261u;
    std::size_t i = 0;
    for (; i + 4 <= s.size(); i += 4) {
        std::uint32_t word;
        std::memcpy(&word, s.data() + i, sizeof word);
        hash = (hash ^ (word | foldWord)) * 16777619u;
        hash ^= hash >> 15;  // the table takes the low bits: bring the high bytes down
    }
    for (; i < s.size(); ++i) hash = (hash ^ (static_cast<unsigned char>(s[i]) | fold)) * 16777619u;
    return hash;
}

class SlotTable {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // Empty, with room for `count` positions.
    void Reset(std::size_t count) { slots_.assign(SizeFor(count), 0); }
    void Clear() { slots_.clear(); }
    // Whether `count` positions fit without making the table more than half full.
    bool HasRoomFor(std::size_t count) const { return slots_.size() >= 2 * count; }

    // The slot where the probe for `hash` stops: the first holding a position for which
    // `same(position)` is true, or the first free one. The table must not be empty.
    template <typename Same>
    std::size_t Probe(std::size_t hash, Same same) const {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = hash & mask;
        while (slots_[at] != 0 && !same(static_cast<std::size_t>(slots_[at] - 1))) at = (at + 1) & mask;
        return at;
    }
    // The position held in slot `at`, or kNone when it is free.
    std::size_t At(std::size_t at) const { return slots_[at] == 0 ? kNone : slots_[at] - 1; }
    // The position for which `same` is true, or kNone.
    template <typename Same>
    std::size_t Find(std::size_t hash, Same same) const {
        return slots_.empty() ? kNone : At(Probe(hash, same));
    }
    // Puts `position` into the free slot `at` that a Probe gave.
    void Put(std::size_t at, std::size_t position) { slots_[at] = static_cast<std::uint32_t>(position + 1); }

    // Adds position `count - 1`, whose hash is `hash`; when the table would be more than
    // half full, it is made anew for all `count` from `hashOf(position)`.
    template <typename HashOf>
    void Add(std::size_t count, std::size_t hash, HashOf hashOf) {
        if (!HasRoomFor(count)) {
            Rebuild(count, count, hashOf);
            return;
        }
        Put(Probe(hash, [](std::size_t) { return false; }), count - 1);
    }
    // Made anew with room for `capacity`, holding positions 0 to `count - 1`.
    template <typename HashOf>
    void Rebuild(std::size_t capacity, std::size_t count, HashOf hashOf) {
        Reset(capacity < count ? count : capacity);
        for (std::size_t i = 0; i < count; ++i) Put(Probe(hashOf(i), [](std::size_t) { return false; }), i);
    }

private:
    static std::size_t SizeFor(std::size_t count) {
        std::size_t size = 16;
        while (size < 2 * count) size *= 2;
        return size;
    }

    std::vector<std::uint32_t> slots_;
};

}  // namespace verrow
