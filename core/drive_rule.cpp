#include "core/drive_rule.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/path.h"

namespace verrow {

bool ApplyDriveRule(std::string_view entered, std::string_view drive, std::string& stored) {
    if (drive.empty()) return false;
    const std::size_t prefix = std::min<std::size_t>(entered.size(), 2);
    if (!cp932::EqualsNoCase(entered.substr(0, prefix), drive)) return false;
    // A doubled separator after the drive (E:\\tools, as in text copied from source
    // code) names the same file to the system; kept as it is, it would read as a network
    // path at every start. The run keeps its last separator.
    std::string_view rest = entered.substr(prefix);
    std::size_t extra = 0;
    while (extra + 1 < rest.size() && IsPathSeparator(rest[extra]) && IsPathSeparator(rest[extra + 1])) ++extra;
    stored.assign(rest.substr(extra));
    return true;
}

}  // namespace verrow
