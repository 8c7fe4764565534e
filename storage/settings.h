// The program's own settings file "verrow.ini" next to the executable.
#pragma once

#include <functional>
#include <string>

namespace verrow {

inline constexpr const char kSettingsFileName[] = "verrow.ini";
inline constexpr const char kSettingsSection[] = "Verrow";

struct ProgramSettings {
    int StartOpen = 1;  // open the launch drive in Explorer at start
    int ListStyle = 0;  // 0 icons, 1 small icons, 2 details; other values kept as they are
};

// The file's settings, or the defaults where it has none. `unread`, when given, tells
// whether the file is there but could not be read: then its values are not known.
ProgramSettings ReadSettings(const std::string& settingsPath, bool* unread = nullptr);
// Rewrites the file whole with the two keys, unless it holds exactly them already; false
// when it could not be written. `mayWrite`, when given, is asked right before the file
// would be written; false counts as a failed write.
bool WriteSettings(const std::string& settingsPath, const ProgramSettings& settings,
                   const std::function<bool()>& mayWrite = {});

}  // namespace verrow
