// Profile (INI) files, read and written by the program itself. Reading follows what
// the Windows profile functions return for the same file; a file is parsed in one pass
// and every later look-up is a hash probe. Writing produces what WritePrivateProfileStringA
// writes into an empty file, and replaces the file in one step.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace verrow {

class ProfileReader {
public:
    // Reads and parses the file; false when it cannot be read (look-ups give defaults).
    bool Load(const std::string& path);
    void Parse(std::string_view bytes);

    // GetPrivateProfileStringA with an empty default and a buffer of `bufferSize` bytes:
    // the value cut to bufferSize - 1 bytes.
    std::string GetString(std::string_view section, std::string_view key,
                          std::size_t bufferSize) const;
    // GetPrivateProfileIntA.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool HasKey(std::string_view section, std::string_view key) const;

private:
    struct Section {
        std::unordered_map<std::string, std::string> values;  // folded key -> value
    };
    std::unordered_map<std::string, Section> sections_;  // folded name -> section
};

class ProfileWriter {
public:
    // Appends the key to its section (sections stand in the order of their first write).
    void Write(const std::string& section, const std::string& key, const std::string& value);
    // The file's bytes: "[section]" lines and "key=value" lines, CRLF.
    std::string Bytes() const;
    // Replaces the file with Bytes() in one step; false when it could not be written.
    bool Commit(const std::string& path) const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::vector<Section> sections_;
};

}  // namespace verrow
