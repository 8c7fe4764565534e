// The benchmark of load, start and size: shared pieces of the driver (verrow_bench.exe).
// Every measure is taken under the same conditions as its platform counterpart, so the
// result is a table of ratios of medians.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/scoped.h"

namespace verrow::bench {

// --- Time and statistics

class Stopwatch {
public:
    Stopwatch();
    double Ms() const;  // since construction

private:
    LARGE_INTEGER start_{};
};

double Median(std::vector<double> values);

// --- Files

bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Creates the folder (and its parents) and removes the files directly in it.
bool PrepareFolder(const std::string& folder);

// --- Loading entry files

// What a load produced, so that the three ways can be compared: the count of entries and
// variables and a hash over every text read, in the order read.
struct LoadResult {
    double ms = 0;
    std::size_t entries = 0;
    std::size_t variables = 0;
    std::uint64_t bytes = 0;   // raw read only: bytes read
    std::uint64_t digest = 0;  // store and platform only
    double takeMs = 0;         // store only: then every entry's variables into its map
};

// The configuration folder of `exeFolder` (ending in a backslash) gets `files` entry
// files of `variables` variables each (the first is _VERROW_DRV_), about 90 bytes per
// variable. Returns the total size in bytes, 0 on failure.
std::uint64_t GenerateEntries(const std::string& exeFolder, int files, int variables);

// Entry store: EntryStore::LoadAllEntries into an EntryCollection, rows to a counting sink.
LoadResult LoadWithStore(const std::string& exeFolder, const std::string& drive);
// The platform's profile functions, one call per key, as the entry file format is read
// key by key: four texts (260), three integers, then _Key (260) and _Val (26000) per
// variable until the first empty name.
LoadResult LoadWithPlatform(const std::string& exeFolder);
// CreateFileA + ReadFile of each whole *.vrc file.
LoadResult LoadRawBytes(const std::string& exeFolder);

// --- Starting and closing a dialog program

struct StartResult {
    bool ok = false;
    std::string error;
    double startMs = 0;   // CreateProcess to a visible top-level dialog of the process
    double closeMs = 0;   // WM_CLOSE posted to that dialog to the end of the process
    int listItems = -1;   // items of list view 1000 once visible
    std::size_t peakWorkingSet = 0;  // bytes, read just before WM_CLOSE
};

StartResult StartAndClose(const std::string& exe, DWORD timeoutMs);

// --- The executable

struct ExeInfo {
    bool ok = false;
    std::uint64_t size = 0;
    int bits = 0;  // 32 (PE32, i386) or 64 (PE32+, x86-64); 0 for anything else
    bool stripped = false;  // no symbol table, no debugging sections
    std::vector<std::string> imports;  // DLL names, lower case
    std::vector<std::string> foreignImports;  // those that are not system DLLs
};

ExeInfo ReadExeInfo(const std::string& path);

}  // namespace verrow::bench
