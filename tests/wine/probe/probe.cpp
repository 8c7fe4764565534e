// A program for the launch tests: writes what it was started with to a file next to
// itself (its own path with the extension .out): the command line, a zero byte, the
// current directory, a zero byte, and the raw environment block up to and including its
// final empty string, all in code page 932 whatever the system's code page. The same
// record in UTF-16, as the system handed it over, goes to a second file (extension
// .utf16), for what code page 932 cannot hold.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::string Cp932(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(932, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(932, 0, text.data(), size, &out[0], length, nullptr, nullptr);
    return out;
}

// Written aside and then moved in place: a test that sees the file sees all of it.
bool Write(const std::wstring& path, const void* data, std::size_t size) {
    const std::wstring part = path + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size && MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main() {
    std::wstring record(GetCommandLineW());
    record += L'\0';

    wchar_t directory[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, directory);
    record += directory;
    record += L'\0';

    if (wchar_t* block = GetEnvironmentStringsW()) {
        const wchar_t* p = block;
        while (*p) p += std::wcslen(p) + 1;
        record.append(block, static_cast<std::size_t>(p + 1 - block));
        FreeEnvironmentStringsW(block);
    }

    wchar_t self[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring stem(self, length);
    std::wstring::size_type dot = stem.rfind(L'.');
    if (dot != std::wstring::npos) stem.resize(dot);

    // The wide record first: a test waits for the .out file.
    const std::string out = Cp932(record);
    if (!Write(stem + L".utf16", record.data(), record.size() * sizeof(wchar_t))) return 2;
    return Write(stem + L".out", out.data(), out.size()) ? 0 : 3;
}
