// Profile (INI) files, read and written by the program itself. Reading follows what
// the Windows profile functions return for the same file; a file is parsed in one pass
// and every later look-up is a hash probe. Writing produces what WritePrivateProfileStringA
// writes into an empty file, and replaces the file in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/slot_table.h"

namespace verrow {

class ProfileReader {
public:
    // Reads and parses the file; false when it cannot be read (look-ups give defaults).
    bool Load(const std::string& path);
    // The same for a file whose bytes have been read already: `read` false when it could
    // not be read.
    bool Load(bool read, std::string bytes);
    // Parses a whole file's bytes: code page 932, or UTF-8 / UTF-16 with a byte-order
    // mark (converted to code page 932 first, as the platform does).
    void Parse(std::string_view bytes);

    // GetPrivateProfileStringA with an empty default and a buffer of `bufferSize` bytes:
    // the value without one pair of enclosing quotes, cut to bufferSize - 1 bytes (never
    // inside a double-byte character).
    std::string GetString(std::string_view section, std::string_view key,
                          std::size_t bufferSize) const;
    // GetPrivateProfileIntA.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool HasKey(std::string_view section, std::string_view key) const;

    // Calls fn(name, value) for every key of `section` in file order, the first of each
    // name only; the value as stored, which ValueText turns into what GetString gives.
    // One walk instead of a look-up per key, for readers of numbered keys.
    template <typename Fn>
    void ForEachKey(std::string_view section, Fn fn) const {
        std::size_t s = SectionIndex(section);
        if (s == kNone) return;
        for (const Key& key : keys_) {
            if (key.section == s) fn(key.name, key.value);
        }
    }
    // The number of keys in the file (the first of each name in each section).
    std::size_t KeyCount() const { return keys_.size(); }
    // A stored value as GetString returns it for a buffer of `bufferSize` bytes.
    static std::string_view ValueText(std::string_view stored, std::size_t bufferSize);
    // Hands over the file's text, into which every name and value read points, and
    // forgets the file (look-ups then give defaults). Null when nothing was read.
    std::unique_ptr<const std::string> TakeText();

private:
    struct Section {
        std::string_view name;
        std::size_t hash;
    };
    struct Key {
        std::string_view name;
        std::string_view value;
        std::size_t section;  // position in sections_
        std::size_t hash;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void Clear();
    void Index(std::string text);  // the file's text in code page 932
    std::size_t FindSection(std::string_view name, std::size_t hash) const;
    std::size_t SectionIndex(std::string_view section) const;  // kNone when absent
    std::size_t FindKey(std::size_t section, std::string_view name, std::size_t hash) const;
    bool SameKey(std::size_t at, std::size_t section, std::string_view name, std::size_t hash) const;
    const std::string_view* Find(std::string_view section, std::string_view key) const;

    // The file in code page 932; names and values are views into it, so a file is
    // indexed without copying a string per key. Held apart so that moving keeps them valid.
    // Sections and keys are found through hash indexes of their positions: a file costs a
    // handful of allocations, not one per key.
    std::unique_ptr<const std::string> text_;
    std::vector<Section> sections_;
    SlotTable sectionSlots_;
    std::vector<Key> keys_;
    SlotTable keySlots_;
};

class ProfileWriter {
public:
    // Sets the key in its section, as WritePrivateProfileStringA does: sections and keys
    // stand in the order of their first write and names match without regard to case.
    // A value ends at its first zero byte or line end; what remains reads back as it was
    // given (see StoredValue).
    void Write(const std::string& section, const std::string& key, const std::string& value);
    // The file's bytes: "[section]" lines and "key=value" lines, CRLF.
    std::string Bytes() const;
    // Replaces the file with Bytes() in one step; false when it could not be written.
    bool Commit(const std::string& path) const;
    // Whether the file holds Bytes() already. On a stick, a rewrite of such a file is a
    // flush that the close would wait for, and it fails where the stick is write-protected
    // or full, though it would end with the same file.
    bool Holds(const std::string& path) const;
    // Creates the file with Bytes() in one step, never over another; false when something
    // is at `path` already or the file could not be written.
    bool CommitNew(const std::string& path) const;

    // What Write keeps of a value: up to its first zero byte or line end, without a lead
    // byte that ends it alone.
    static std::string_view Kept(std::string_view value);

private:
    static std::string StoredValue(std::string_view value);

    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
        std::unordered_map<std::string, std::size_t> index;  // folded key -> position
    };
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_;  // folded name -> position
};

}  // namespace verrow
