// Size, stripping and imports of a PE executable (32-bit PE32 or 64-bit PE32+), read from
// its headers.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace verrow::bench {
namespace {

// The DLLs every Windows installation has; anything else would have to travel with the
// program on the stick.
const char* const kSystemDlls[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "comctl32.dll",
                                   "shell32.dll",  "comdlg32.dll", "ole32.dll",   "advapi32.dll",
                                   "msvcrt.dll",   "shlwapi.dll"};

std::string ReadAll(const std::string& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return std::string();
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (size > 0 && !ReadFile(file.get(), bytes.data(), size, &read, nullptr)) return std::string();
    bytes.resize(read);
    return bytes;
}

template <typename T>
bool ReadAt(const std::string& bytes, std::size_t offset, T& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof(T));
    return true;
}

}  // namespace

ExeInfo ReadExeInfo(const std::string& path) {
    ExeInfo info;
    const std::string bytes = ReadAll(path);
    info.size = bytes.size();
    IMAGE_DOS_HEADER dos{};
    if (!ReadAt(bytes, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return info;
    const std::size_t nt = static_cast<std::size_t>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file{};
    WORD magic = 0;
    if (!ReadAt(bytes, nt, signature) || signature != IMAGE_NT_SIGNATURE) return info;
    const std::size_t optionalAt = nt + 4 + sizeof file;
    if (!ReadAt(bytes, nt + 4, file) || !ReadAt(bytes, optionalAt, magic)) return info;
    // The two optional headers differ in their fields' widths, and so in where the
    // directories stand.
    IMAGE_DATA_DIRECTORY imports{};
    if (file.Machine == IMAGE_FILE_MACHINE_I386 && magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 optional{};
        if (!ReadAt(bytes, optionalAt, optional)) return info;
        imports = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        info.bits = 32;
    } else if (file.Machine == IMAGE_FILE_MACHINE_AMD64 && magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 optional{};
        if (!ReadAt(bytes, optionalAt, optional)) return info;
        imports = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        info.bits = 64;
    } else {
        return info;
    }

    std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
    const std::size_t first = optionalAt + file.SizeOfOptionalHeader;
    bool debugSections = false;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (!ReadAt(bytes, first + i * sizeof(IMAGE_SECTION_HEADER), sections[i])) return info;
        // Long names (".debug_info") stand in the symbol string table and show as "/N".
        const char* name = reinterpret_cast<const char*>(sections[i].Name);
        if (std::strncmp(name, ".debug", 6) == 0 || name[0] == '/') debugSections = true;
    }
    info.stripped = file.PointerToSymbolTable == 0 && file.NumberOfSymbols == 0 && !debugSections;

    auto offsetOf = [&](DWORD rva, std::size_t& offset) {
        for (const IMAGE_SECTION_HEADER& s : sections) {
            DWORD extent = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + extent) {
                offset = rva - s.VirtualAddress + s.PointerToRawData;
                return offset < bytes.size();
            }
        }
        return false;
    };

    std::size_t at = 0;
    if (imports.VirtualAddress != 0 && !offsetOf(imports.VirtualAddress, at)) return info;
    for (IMAGE_IMPORT_DESCRIPTOR descriptor{}; imports.VirtualAddress != 0; at += sizeof descriptor) {
        if (!ReadAt(bytes, at, descriptor)) return info;
        if (descriptor.Name == 0) break;
        std::size_t nameAt = 0;
        if (!offsetOf(descriptor.Name, nameAt)) return info;
        std::size_t end = bytes.find('\0', nameAt);
        if (end == std::string::npos) return info;
        std::string dll = bytes.substr(nameAt, end - nameAt);
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        info.imports.push_back(dll);
        if (std::find(std::begin(kSystemDlls), std::end(kSystemDlls), dll) == std::end(kSystemDlls)) {
            info.foreignImports.push_back(dll);
        }
    }
    info.ok = !info.imports.empty();
    return info;
}

}  // namespace verrow::bench
