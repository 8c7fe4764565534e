// Path splitting as the C runtime's splitter does it, aware of double-byte characters.
#pragma once

#include <string>
#include <string_view>

namespace verrow {

struct PathParts {
    std::string drive;  // "E:" or empty
    std::string dir;    // up to and including the last '\\' or '/', or empty
    std::string base;   // the file name up to its last '.'
    std::string ext;    // from the last '.', or empty
};

PathParts SplitPath(std::string_view path);

// Either separator the system takes. Only for a byte that begins a character: a trail
// byte can be 0x5C.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Whether a directory search would take part of `path` as a wildcard, so that it names
// whatever matches rather than one file. The "\\?\\" of a long path is none.
bool HasWildcard(std::string_view path);

// A path as a user types or pastes it, made into the one it names: without the quotes
// that the system's "copy as path" puts around it, and without separators after its last
// name (a folder typed as E:\docs\), which a directory search does not find. A root
// keeps its separator. True when it changed.
bool TidyEnteredPath(std::string& path);

// Whether `path` names one place whatever folders are current: a drive and a separator
// after it (E:\tools), or two separators (a network path). E:tools, \tools and tools
// count from current folders.
bool IsWholePath(std::string_view path);

// A stored path without a drive (\tools\edit\edit.exe) lies on the launch drive, not on
// the drive that happens to be current: the launcher may have been started from a prompt
// or a shortcut elsewhere. Paths with a drive, network paths and relative paths stay as
// they are, and so does every path when the launcher runs from no drive letter.
std::string OnLaunchDrive(const std::string& path, const std::string& drive);

}  // namespace verrow
