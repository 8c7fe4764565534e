#include "app/save_report.h"

#include "base/cp932.h"
#include "resources/texts.h"

namespace verrow {

std::string UnsavedReport(const std::vector<std::string>& entryNames, bool settingsFailed, bool folderGone) {
    if (entryNames.empty() && !settingsFailed) return std::string();
    std::string text;
    if (!entryNames.empty()) {
        text += text::kUnsavedEntries;
        text += "\n";
        std::size_t shown = 0;
        for (const std::string& name : entryNames) {
            if (shown++ == kReportNameLimit) break;
            text += "\n";
            text += name.empty() ? std::string(text::kUnnamedEntry) : name;
        }
        if (entryNames.size() > kReportNameLimit) {
            text += "\n";
            text += cp932::Substitute(text::kMoreUnsaved, {std::to_string(entryNames.size() - kReportNameLimit)});
        }
        text += "\n\n";
        if (folderGone) {
            text += text::kConfigFolderMissing;
            text += "\n\n";
        }
    }
    if (settingsFailed) {
        text += text::kUnsavedSettings;
        text += "\n\n";
    }
    text += text::kCheckTheDrive;
    return text;
}

}  // namespace verrow
