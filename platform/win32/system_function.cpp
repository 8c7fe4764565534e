#include "platform/win32/system_function.h"

#include <string>

namespace verrow {

FARPROC SystemProc(const wchar_t* dll, const char* name) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += dll;
    // Never freed: like an imported DLL, it stays for the life of the process.
    HMODULE module = ::LoadLibraryW(path.c_str());
    return module ? ::GetProcAddress(module, name) : nullptr;
}

}  // namespace verrow
