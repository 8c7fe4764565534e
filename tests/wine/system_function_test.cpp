// Functions of system DLLs bound at their first use: found in the system folder, and
// nowhere else.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/system_function.h"

namespace verrow {
namespace {

TEST(SystemFunction, BindsFromTheSystemFolderOnly) {
    auto open = SystemFunction<decltype(&::ShellExecuteA)>(L"shell32.dll", "ShellExecuteA");
    ASSERT_NE(open, nullptr);
    // The very function the import table would have given.
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(open), reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
    // And it works: a file that does not exist is reported as such.
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(open(nullptr, "open", "Z:\\verrow-no-such-file", nullptr, nullptr,
                                                   SW_SHOW)),
              static_cast<std::intptr_t>(SE_ERR_FNF));

    EXPECT_EQ(SystemProc(L"shell32.dll", "NoSuchFunctionAnywhere"), nullptr);

    // A DLL lying next to the program or in the current folder (on the stick) is not one
    // of the system's, even under a name the system folder lacks.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    folder.resize(folder.find_last_of(L'\\') + 1);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring planted = folder + L"verrow_planted_shell.dll";
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\shell32.dll").c_str(), planted.c_str(), FALSE));
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(folder.c_str());
    EXPECT_EQ(SystemProc(L"verrow_planted_shell.dll", "ShellExecuteA"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"verrow_planted_shell.dll"), nullptr);
    SetCurrentDirectoryW(current);
    DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace verrow
