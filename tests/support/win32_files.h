// Plain whole-file access for the tests that run under wine, by code page 932 names as
// the program has them. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32_text.h"

namespace verrow::test {

// The file's bytes; empty when it is missing or cannot be opened. Deleting is shared too: a
// file just moved in place is still open for the move for a moment, with delete access.
inline std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileW(ToSystemText(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// Creates or replaces the file; false when it could not be written whole.
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(ToSystemText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace verrow::test
