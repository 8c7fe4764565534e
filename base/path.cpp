#include "base/path.h"

#include "base/cp932.h"

namespace verrow {

bool HasWildcard(std::string_view path) {
    if (path.substr(0, 4) == "\\\\?\\") path.remove_prefix(4);
    // '<', '>' and '"' are wildcards to Windows' own file systems too; none may stand in a
    // name, and none is ever a trail byte.
    return path.find_first_of("*?<>\"") != std::string_view::npos;
}

bool TidyEnteredPath(std::string& path) {
    const std::size_t size = path.size();
    // '"' and '/' are never trail bytes; '\\' can be one (ソ), so only a character of its
    // own counts.
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    const std::size_t root = SplitPath(path).drive.size() + 1;
    while (path.size() > root &&
           (path.back() == '/' || (path.back() == '\\' && cp932::FindLastBackslash(path) == path.size() - 1))) {
        path.pop_back();
    }
    return path.size() != size;
}

bool IsWholePath(std::string_view path) {
    const std::size_t drive = SplitPath(path).drive.size();
    if (drive > 0) return path.size() > drive && IsPathSeparator(path[drive]);
    return path.size() > 1 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

std::string OnLaunchDrive(const std::string& path, const std::string& drive) {
    const bool rooted = !path.empty() && IsPathSeparator(path[0]) && !IsWholePath(path);
    return rooted ? drive + path : path;
}

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    // Only a letter makes a drive; a double-byte character never ends in ':'.
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        parts.drive.assign(path.substr(0, 2));
        path.remove_prefix(2);
    }
    // The last separator and the last dot that are characters of their own.
    std::size_t lastSeparator = std::string_view::npos;
    std::size_t lastDot = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); i += cp932::CharLength(path, i)) {
        if (IsPathSeparator(path[i])) {
            lastSeparator = i;
            lastDot = std::string_view::npos;
        } else if (path[i] == '.') {
            lastDot = i;
        }
    }
    std::size_t nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    parts.dir.assign(path.substr(0, nameStart));
    std::string_view name = path.substr(nameStart);
    if (lastDot == std::string_view::npos) {
        parts.base.assign(name);
    } else {
        parts.base.assign(name.substr(0, lastDot - nameStart));
        parts.ext.assign(name.substr(lastDot - nameStart));
    }
    return parts;
}

}  // namespace verrow
