#include "core/drive_rule.h"

#include <algorithm>

#include "base/cp932.h"

namespace verrow {

bool ApplyDriveRule(std::string_view entered, std::string_view drive, std::string& stored) {
    if (drive.empty()) return false;
    const std::size_t prefix = std::min<std::size_t>(entered.size(), 2);
    if (!cp932::EqualsNoCase(entered.substr(0, prefix), drive)) return false;
    stored.assign(entered.substr(prefix));
    return true;
}

}  // namespace verrow
