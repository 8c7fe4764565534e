#include "platform/profile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "base/cp932.h"
#include "platform/os.h"
#include "platform/text_convert.h"
#include "platform/timing.h"

// Files are read as the platform reads them, verified against it:
// - lines end at CR or LF; a lead byte pairs with whatever byte follows it (even CR, '='
//   or ']'), so lines, '=' and ']' are found on character boundaries only;
// - spaces (HT, LF, VT, FF, CR, space and ^Z, nothing else) around a line, a section
//   name, a key name and a value are dropped; a value ends at a zero byte;
// - "[name]" starts a section (text after the last ']' is ignored); only the first of
//   sections with the same name is searched, and "[]" starts one that cannot be found;
// - the first of keys with the same name counts (an empty name too), a line without '='
//   is a key without value, lines before the first section belong to no section;
// - one pair of enclosing ' or " is removed when the value is read.
// Deliberate differences: the platform converts the file to UTF-16 and back, so it
// changes bytes that are not valid code page 932 (to U+30FB) and the IBM duplicates of
// NEC characters; this store passes every byte through. The platform also lets a key
// beginning with ';' be read; here those lines are comments. Names fold only single-byte
// letters, where the platform also folds full-width and Greek or Cyrillic letters.

namespace verrow {
namespace {

bool IsProfileSpace(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

// `s` must start on a character boundary.
std::string_view Trim(std::string_view s) {
    if (s.empty() || (!IsProfileSpace(static_cast<unsigned char>(s.front())) &&
                      !IsProfileSpace(static_cast<unsigned char>(s.back())))) {
        return s;  // the usual case
    }
    std::size_t begin = 0;
    while (begin < s.size() && IsProfileSpace(static_cast<unsigned char>(s[begin]))) ++begin;
    s.remove_prefix(begin);
    // A space is never a trail byte, but it can follow a lead byte that takes it; only
    // then is a walk from the start needed to tell.
    while (!s.empty() && IsProfileSpace(static_cast<unsigned char>(s.back()))) {
        if (s.size() >= 2 && cp932::IsLeadByte(static_cast<unsigned char>(s[s.size() - 2]))) {
            std::size_t end = 0;
            for (std::size_t i = 0; i < s.size();) {
                std::size_t n = cp932::CharLength(s, i);
                if (n > 1 || !IsProfileSpace(static_cast<unsigned char>(s[i]))) end = i + n;
                i += n;
            }
            return s.substr(0, end);
        }
        s.remove_suffix(1);
    }
    return s;
}

std::string_view UpToZero(std::string_view s) {
    std::size_t zero = s.find('\0');
    return zero == std::string_view::npos ? s : s.substr(0, zero);
}

// First single-byte `c` on a character boundary, or npos; `last` finds the last one.
std::size_t FindChar(std::string_view s, char c, bool last = false) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += cp932::CharLength(s, i)) {
        if (s[i] == c) {
            found = i;
            if (!last) break;
        }
    }
    return found;
}

// Up to the first line end that is a character of its own: a value written with one
// would end its line there and could pass the rest off as keys or sections of the file.
std::string_view UpToLineEnd(std::string_view s) {
    std::size_t end = std::min(FindChar(s, '\r'), FindChar(s, '\n'));
    return end == std::string_view::npos ? s : s.substr(0, end);
}

// Without a lead byte that ends `s` alone (a damaged file gives such values): written
// as it is, it would take the line's CR as its trail byte when read again.
std::string_view WithoutLoneLead(std::string_view s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += cp932::CharLength(s, i)) last = i;
    return !s.empty() && last == s.size() - 1 && cp932::IsLeadByte(static_cast<unsigned char>(s[last]))
               ? s.substr(0, last)
               : s;
}

// A name as the platform compares it: without surrounding spaces, up to a zero byte.
std::string_view NameOf(std::string_view name) { return UpToZero(Trim(name)); }

bool HasByteOrderMark(std::string_view bytes) {
    return (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") ||
           (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF"));
}

// The bytes in code page 932: files with a byte-order mark are converted.
std::string ToCodePage(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToCp932(bytes.substr(3));
    bool little = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE";
    bool big = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) return std::string(bytes);
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
    }
    return Utf16ToCp932(units);
}

}  // namespace

namespace {

bool NoCaseEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a == b || cp932::EqualsNoCase(a, b));
}

// What the line scan must notice about a byte; everything else is plain.
enum ByteKind : unsigned char { kPlain, kLineEnd, kZero, kLead };

constexpr std::array<ByteKind, 256> MakeByteKinds() {
    std::array<ByteKind, 256> kinds{};
    for (unsigned c = 0; c < 256; ++c) {
        kinds[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? kLead : kPlain;  // as IsLeadByte
    }
    kinds['\r'] = kinds['\n'] = kLineEnd;
    kinds[0] = kZero;
    return kinds;
}
constexpr std::array<ByteKind, 256> kByteKinds = MakeByteKinds();

// True when none of four bytes can be one the line scan stops at: each is at least 0x20
// and below 0x80. (A byte below 0x20 sets bit 7 when 0x20 is taken from it; a borrow
// runs upwards only from such a byte. Plain bytes outside that range, such as a tab or
// a half-width katakana, are then taken one by one.)
bool PlainWord(std::uint32_t word) { return (((word - 0x20202020u) | word) & 0x80808080u) == 0; }

std::size_t KeyHash(std::size_t nameHash, std::size_t section) {
    return nameHash ^ ((section + 1) * static_cast<std::size_t>(0x9E3779B9u));
}

// Sections and keys keep their hashes: a table that grows is made anew from them.
template <typename Entries>
auto StoredHash(const Entries& entries) {
    return [&entries](std::size_t at) { return entries[at].hash; };
}

}  // namespace

void ProfileReader::Clear() {
    text_.reset();
    sections_.clear();
    sectionSlots_.Clear();
    keys_.clear();
    keySlots_.Clear();
}

bool ProfileReader::Load(const std::string& path) {
    std::string bytes;
    bool read;
    {
        VERROW_SPAN("store: read bytes");
        read = GetOs().ReadFile(path, bytes);
    }
    return Load(read, std::move(bytes));
}

bool ProfileReader::Load(bool read, std::string bytes) {
    if (!read) {
        Clear();
        return false;
    }
    VERROW_SPAN("store: index");
    // A file in code page 932 (the usual case) is indexed where it was read, uncopied.
    Index(HasByteOrderMark(bytes) ? ToCodePage(bytes) : std::move(bytes));
    return true;
}

std::size_t ProfileReader::FindSection(std::string_view name, std::size_t hash) const {
    return sectionSlots_.Find(hash, [&](std::size_t at) {
        return sections_[at].hash == hash && NoCaseEqual(sections_[at].name, name);
    });
}

bool ProfileReader::SameKey(std::size_t at, std::size_t section, std::string_view name, std::size_t hash) const {
    const Key& key = keys_[at];
    return key.hash == hash && key.section == section && NoCaseEqual(key.name, name);
}

std::size_t ProfileReader::FindKey(std::size_t section, std::string_view name, std::size_t hash) const {
    return keySlots_.Find(hash, [&](std::size_t at) { return SameKey(at, section, name, hash); });
}

void ProfileReader::Parse(std::string_view raw) { Index(ToCodePage(raw)); }

std::unique_ptr<const std::string> ProfileReader::TakeText() {
    std::unique_ptr<const std::string> text = std::move(text_);
    Clear();
    return text;
}

void ProfileReader::Index(std::string text) {
    Clear();
    text_ = std::make_unique<const std::string>(std::move(text));
    const std::string_view all(*text_);

    // Sized for lines of about 32 bytes, so that an entry file's tables are made once.
    const std::size_t expected = all.size() / 32 + 16;
    keys_.reserve(expected);
    keySlots_.Reset(expected);

    std::size_t current = kNone;  // none before the first section or in an ignored one
    const std::size_t size = all.size();
    std::size_t pos = 0;
    while (pos < size) {
        // The walk over the line finds its end on a character boundary, its first lead
        // byte, and whether it holds a zero byte anywhere (even as a trail byte).
        const std::size_t start = pos;
        std::size_t firstLead = std::string_view::npos;
        bool zero = false;
        for (bool lineEnd = false; !lineEnd;) {
            while (pos + 4 <= size && PlainWord(WordAt(all.data() + pos))) pos += 4;
            if (pos >= size) break;
            switch (kByteKinds[static_cast<unsigned char>(all[pos])]) {
            case kLineEnd:
                lineEnd = true;
                break;
            case kZero:
                zero = true;
                ++pos;
                break;
            case kLead:  // a lead byte takes the next byte, whatever it is
                if (firstLead == std::string_view::npos) firstLead = pos;
                if (pos + 1 < size) {
                    ++pos;
                    if (all[pos] == '\0') zero = true;
                }
                ++pos;
                break;
            default:
                ++pos;
                break;
            }
        }
        const std::size_t lineEnd = pos;
        std::string_view line = Trim(all.substr(start, pos - start));
        while (pos < size && (all[pos] == '\r' || all[pos] == '\n')) ++pos;
        if (line.empty()) continue;

        if (line[0] == '[') {
            std::size_t close = FindChar(line, ']', true);
            if (close != std::string_view::npos) {
                std::string_view name = NameOf(line.substr(1, close - 1));
                std::size_t hash = HashNoCase(name);
                current = kNone;
                // Only the first section of a name is searched, and "[]" cannot be found.
                if (FindSection(name, hash) == kNone) {
                    sections_.push_back(Section{name, hash});
                    sectionSlots_.Add(sections_.size(), hash, StoredHash(sections_));
                    if (!name.empty()) current = sections_.size() - 1;
                }
                continue;
            }
        }
        if (current == kNone || line[0] == ';') continue;
        // The first '=' on a character boundary: before the first lead byte every byte is
        // a character of its own; from there on the characters are walked.
        std::size_t equals = std::string_view::npos;
        const std::size_t plainEnd = firstLead == std::string_view::npos ? lineEnd : firstLead;
        for (std::size_t at = start; at < plainEnd; ++at) {
            if (all[at] == '=') {
                equals = at;
                break;
            }
        }
        for (std::size_t at = plainEnd; equals == std::string_view::npos && at < lineEnd;
             at += cp932::CharLength(all, at)) {
            if (all[at] == '=') equals = at;
        }
        // Trimming takes spaces only, so the '=' found lies inside the trimmed line.
        if (equals != std::string_view::npos) equals -= static_cast<std::size_t>(line.data() - all.data());
        std::string_view name = Trim(equals == std::string_view::npos ? line : line.substr(0, equals));
        std::string_view value = equals == std::string_view::npos ? std::string_view()
                                                                  : Trim(line.substr(equals + 1));
        if (zero) {
            name = UpToZero(name);
            value = UpToZero(value);
        }
        // The first of a name counts. One probe finds an earlier key of the name or the
        // free slot for this one.
        const std::size_t hash = KeyHash(HashNoCase(name), current);
        const std::size_t at = keySlots_.Probe(hash, [&](std::size_t k) { return SameKey(k, current, name, hash); });
        if (keySlots_.At(at) != SlotTable::kNone) continue;
        keys_.push_back(Key{name, value, current, hash});
        if (keySlots_.HasRoomFor(keys_.size())) {
            keySlots_.Put(at, keys_.size() - 1);
        } else {
            keySlots_.Rebuild(keys_.size(), keys_.size(), StoredHash(keys_));
        }
    }
}

std::size_t ProfileReader::SectionIndex(std::string_view section) const {
    std::string_view name = NameOf(section);
    return FindSection(name, HashNoCase(name));
}

const std::string_view* ProfileReader::Find(std::string_view section, std::string_view key) const {
    std::size_t s = SectionIndex(section);
    if (s == kNone) return nullptr;
    std::string_view keyName = NameOf(key);
    std::size_t k = FindKey(s, keyName, KeyHash(HashNoCase(keyName), s));
    return k == kNone ? nullptr : &keys_[k].value;
}

bool ProfileReader::HasKey(std::string_view section, std::string_view key) const {
    return Find(section, key) != nullptr;
}

std::string ProfileReader::GetString(std::string_view section, std::string_view key,
                                     std::size_t bufferSize) const {
    const std::string_view* found = Find(section, key);
    return found ? std::string(ValueText(*found, bufferSize)) : std::string();
}

std::string_view ProfileReader::ValueText(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return std::string_view();
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.substr(1, value.size() - 2);
    }
    // The platform leaves a stray byte where a double-byte character would be split;
    // here the value simply ends before that character.
    return cp932::Truncate(value, bufferSize - 1);
}

int ProfileReader::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    // The platform reads the value into 30 characters and converts what remains:
    // control characters and spaces, one sign, then "0x" (hex), "0o" (octal), "0b"
    // (binary) or decimal digits up to the first other character, wrapping around at
    // 32 bits. Anything that is not a number reads as 0; an empty value as the default.
    std::string text = GetString(section, key, 30);
    if (text.empty()) return defaultValue;
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (text[i + 1]) {
            case 'x': base = 16; break;
            case 'o': base = 8; break;
            case 'b': base = 2; break;
        }
        if (base != 10) i += 2;
    }
    std::uint32_t result = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else break;
        if (digit >= base) break;
        result = result * base + digit;
    }
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

std::string ProfileWriter::StoredValue(std::string_view value) {
    // Reading trims the spaces around a value and removes one pair of enclosing quotes,
    // here as on the platform. A value that would lose something that way (a name typed
    // with a space before it, a command line that begins and ends with a quoted word) is
    // written inside one more pair of double quotes, which both readers take off again.
    bool enclosed = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (!enclosed && Trim(value).size() == value.size()) return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

std::string_view ProfileWriter::Kept(std::string_view value) {
    return WithoutLoneLead(UpToLineEnd(UpToZero(value)));
}

void ProfileWriter::Write(const std::string& section, const std::string& key,
                          const std::string& value) {
    auto s = index_.try_emplace(cp932::FoldCase(section), sections_.size());
    if (s.second) sections_.push_back(Section{section, {}, {}});
    Section& target = sections_[s.first->second];
    std::string text = StoredValue(Kept(value));
    auto k = target.index.try_emplace(cp932::FoldCase(key), target.keys.size());
    if (k.second) {
        target.keys.emplace_back(key, std::move(text));
    } else {
        target.keys[k.first->second].second = std::move(text);
    }
}

std::string ProfileWriter::Bytes() const {
    std::size_t size = 0;
    for (const Section& section : sections_) {
        size += section.name.size() + 4;
        for (const auto& key : section.keys) size += key.first.size() + key.second.size() + 3;
    }
    std::string out;
    out.reserve(size);
    for (const Section& section : sections_) {
        out += '[';
        out += section.name;
        out += "]\r\n";
        for (const auto& key : section.keys) {
            out += key.first;
            out += '=';
            out += key.second;
            out += "\r\n";
        }
    }
    return out;
}

bool ProfileWriter::Commit(const std::string& path) const { return GetOs().ReplaceFile(path, Bytes()); }

bool ProfileWriter::Holds(const std::string& path) const {
    std::string present;
    return GetOs().ReadFile(path, present) && present == Bytes();
}

bool ProfileWriter::CommitNew(const std::string& path) const { return GetOs().CreateNewFile(path, Bytes()); }

}  // namespace verrow
