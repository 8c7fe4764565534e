// Functions of system DLLs that only some commands need, bound at their first call. The
// shell, the file and folder pickers and COM, with everything they load in turn, would
// otherwise be loaded before the main window can show, on every start. The DLL is taken
// from the system folder only, never from the stick.
//
//   static const auto open = SystemFunction<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
//   if (open) open(...);
#pragma once

#include <windows.h>

namespace verrow {

// The function's address, or null when the DLL or the function is missing.
FARPROC SystemProc(const wchar_t* dll, const char* name);

template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemProc(dll, name)));
}

}  // namespace verrow
