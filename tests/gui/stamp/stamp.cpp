// A program for the GUI tests: writes the moment the system created its process (a
// FILETIME in decimal) to a file next to itself, its own path with the extension .out,
// so a test can tell in which order the launcher started it and other programs.
#include <windows.h>

#include <string>

int main() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 2;
    std::string text = std::to_string((static_cast<unsigned long long>(created.dwHighDateTime) << 32) |
                                      created.dwLowDateTime);

    wchar_t self[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring path(self, length);
    std::wstring::size_type dot = path.rfind(L'.');
    if (dot != std::wstring::npos) path.resize(dot);
    path += L".out";

    // Written aside and then moved in place: a test that sees the file sees all of it.
    const std::wstring part = path + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != text.size()) return 4;
    return MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
