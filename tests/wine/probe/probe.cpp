// A program for the launch tests: writes what it was started with to a file next to
// itself (its own path with the extension .out): the command line as GetCommandLineA
// gives it, a zero byte, the current directory, a zero byte, and the raw environment
// block up to and including its final empty string.
#include <windows.h>

#include <cstring>
#include <string>

int main() {
    std::string out(GetCommandLineA());
    out += '\0';

    char directory[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    out += directory;
    out += '\0';

    if (char* block = GetEnvironmentStringsA()) {
        const char* p = block;
        while (*p) p += std::strlen(p) + 1;
        out.append(block, static_cast<std::size_t>(p + 1 - block));
        FreeEnvironmentStringsA(block);
    }

    char self[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length);
    std::string::size_type dot = path.rfind('.');
    if (dot != std::string::npos) path.resize(dot);
    path += ".out";

    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    BOOL ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == out.size() ? 0 : 3;
}
