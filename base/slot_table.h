// A hash index of positions into an array the caller keeps: open addressing with linear
// probing, each slot holding a position + 1 (0: free), at most half full. The names stay
// in the caller's array, so an index costs no copy of a name and no allocation per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/cp932.h"

namespace verrow {

// The four bytes at `at` as one number, for loops that take four bytes at a time.
inline std::uint32_t WordAt(const char* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

namespace hash_detail {
constexpr std::uint32_t kBasis = 2166136261u;
constexpr std::uint32_t kPrime = 16777619u;
inline std::uint32_t MixWord(std::uint32_t hash, std::uint32_t word) {
    hash = (hash ^ word) * kPrime;
    return hash ^ (hash >> 15);  // the table takes the low bits: bring the high bytes down
}
inline std::uint32_t MixByte(std::uint32_t hash, unsigned char byte) { return (hash ^ byte) * kPrime; }
}  // namespace hash_detail

// FNV-1a, four bytes at a time (tables are filled with a hundred thousand names at times).
inline std::size_t HashBytes(std::string_view s) {
    using namespace hash_detail;
    std::uint32_t hash = kBasis;
    std::size_t i = 0;
    for (; i + 4 <= s.size(); i += 4) hash = MixWord(hash, WordAt(s.data() + i));
    for (; i < s.size(); ++i) hash = MixByte(hash, static_cast<unsigned char>(s[i]));
    return hash;
}

// The same with the single-byte letters folded, and nothing else: names hash alike exactly
// when cp932::EqualsNoCase may find them equal, so that names which only look alike to a
// cruder fold (such as '@' and '`', or a trail byte 'A' and 'a') do not all share a hash.
// Four bytes at a time while they are below 0x80; from the first byte above, character by
// character, so that trail bytes stay as they are.
inline std::size_t HashNoCase(std::string_view s) {
    using namespace hash_detail;
    std::uint32_t hash = kBasis;
    std::size_t i = 0;
    for (; i + 4 <= s.size(); i += 4) {
        const std::uint32_t word = WordAt(s.data() + i);
        if (word & 0x80808080u) break;
        // Bit 7 of each byte from 'A' to 'Z': at least 'A' and not beyond 'Z' (no byte
        // carries into the next one below 0x80).
        const std::uint32_t upper = (word + 0x3F3F3F3Fu) & ~(word + 0x25252525u) & 0x80808080u;
        hash = MixWord(hash, word | (upper >> 2));
    }
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (cp932::IsLeadByte(c) && i + 1 < s.size()) {
            hash = MixByte(MixByte(hash, c), static_cast<unsigned char>(s[i + 1]));
            i += 2;
            continue;
        }
        hash = MixByte(hash, c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c | 0x20) : c);
        ++i;
    }
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
