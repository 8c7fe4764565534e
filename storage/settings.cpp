#include "storage/settings.h"

#include <string>

#include "platform/os.h"
#include "platform/profile.h"

namespace verrow {

ProgramSettings ReadSettings(const std::string& settingsPath, bool* unread) {
    ProfileReader reader;
    // A missing or unreadable file gives the defaults.
    bool read = reader.Load(settingsPath);
    if (unread) *unread = !read && GetOs().FindFile(settingsPath, nullptr);
    ProgramSettings settings;
    settings.StartOpen = reader.GetInt(kSettingsSection, "StartOpen", 1);
    settings.ListStyle = reader.GetInt(kSettingsSection, "ListStyle", 0);
    return settings;
}

bool WriteSettings(const std::string& settingsPath, const ProgramSettings& settings,
                   const std::function<bool()>& mayWrite) {
    ProfileWriter writer;
    writer.Write(kSettingsSection, "StartOpen", settings.StartOpen ? "1" : "0");
    writer.Write(kSettingsSection, "ListStyle", std::to_string(settings.ListStyle));
    if (writer.Holds(settingsPath)) return true;  // a close that changed nothing
    if (mayWrite && !mayWrite()) return false;
    return writer.Commit(settingsPath);
}

}  // namespace verrow
