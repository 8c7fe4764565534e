// Helpers of the wine tests: the test drive P: and plain file access for set-up.
#pragma once

#include <windows.h>
// <windows.h> maps these to their A/W variants; the services interface keeps the plain names.
#undef CreateDirectory
#undef DeleteFile
#undef ReplaceFile

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/win32_files.h"

namespace verrow::test {

// The drive that the CTest fixture maps; tests that need it skip when run by hand.
inline bool HaveDriveP() { return std::getenv("VERROW_DRIVE_P") != nullptr; }

#define VERROW_NEED_DRIVE_P() \
    if (!::verrow::test::HaveDriveP()) GTEST_SKIP() << "needs the test drive P: of the CTest fixture"

// Set-up that must succeed.
inline void WriteAll(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
}

// Names in a folder, sorted, without "." and "..".
inline std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh, empty folder (files only below it).
inline std::string FreshFolder(const std::string& folder) {
    CreateDirectoryA("P:\\work", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& name : NamesIn(folder)) {
        std::string path = folder + "\\" + name;
        if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    return folder;
}

}  // namespace verrow::test
