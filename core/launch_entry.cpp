#include "core/launch_entry.h"

#include <cstring>

#include "core/cp932.h"
#include "core/environment.h"
#include "core/path.h"
#include "platform/os.h"
#include "storage/profile.h"

namespace verrow {
namespace {

// "ENV%04d_Key" / "ENV%04d_Val": at least four digits, more from 10000 on.
std::string EnvKeyName(std::size_t number, const char* suffix) {
    std::string digits = std::to_string(number);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return "ENV" + digits + suffix;
}

const char* Flag(int value) { return value ? "1" : "0"; }

}  // namespace

bool DriveValueFilter(const std::string& name, const std::string& value, std::string& out) {
    if (!cp932::EqualsNoCase(name, kDriveVariable)) return false;
    out = SplitPath(GetOs().ModuleFileName()).drive;
    return true;
}

bool LaunchEntry::LoadFromFile(const char* path) {
    if (!path) return false;
    Modified = 0;
    EntryFilePath = path;

    // A missing or unreadable file reads as one without keys.
    ProfileReader file;
    file.Load(EntryFilePath);

    AppName = file.GetString(kEntrySection, "AppName", kNameReadLimit + 1);
    AppPath = file.GetString(kEntrySection, "AppPath", kTextReadLimit + 1);
    CmdOpt = file.GetString(kEntrySection, "CmdOpt", kTextReadLimit + 1);
    CurrentDir = file.GetString(kEntrySection, "CurrentDir", kTextReadLimit + 1);
    UseCustomEnv = file.GetInt(kEntrySection, "UseCustomEnv", 0);
    StartUp = file.GetInt(kEntrySection, "StartUp", 0);
    OverWriteEnv = file.GetInt(kEntrySection, "OverWriteEnv", 0);

    // No count is stored: the first missing or empty name ends the list.
    EnvMap.Clear();
    for (std::size_t n = 0;; ++n) {
        std::string name = file.GetString(kEnvSection, EnvKeyName(n, "_Key"), kEnvNameReadLimit + 1);
        if (name.empty()) break;
        std::string value = file.GetString(kEnvSection, EnvKeyName(n, "_Val"), kEnvValueReadLimit + 1);
        if (ValueFilter) {
            std::string replacement;
            if (ValueFilter(name, value, replacement)) {
                value.assign(cp932::Truncate(replacement, kEnvValueReadLimit));
            }
        }
        EnvMap.Set(name, value);
    }
    return true;
}

bool LaunchEntry::SaveToFile(const char* path) {
    if (!Modified) return true;
    const std::string target = path ? std::string(path) : EntryFilePath;
    if (target.empty()) return false;

    // The whole file is built first and then replaces the old one in one step, so a
    // failed write or a removed stick never leaves the registration half written.
    ProfileWriter file;
    file.Write(kEntrySection, "AppName", AppName);
    file.Write(kEntrySection, "AppPath", AppPath);
    file.Write(kEntrySection, "CmdOpt", CmdOpt);
    file.Write(kEntrySection, "CurrentDir", CurrentDir);
    file.Write(kEntrySection, "UseCustomEnv", Flag(UseCustomEnv));
    file.Write(kEntrySection, "OverWriteEnv", Flag(OverWriteEnv));
    file.Write(kEntrySection, "StartUp", Flag(StartUp));
    std::size_t n = 0;
    for (const auto& variable : EnvMap) {
        file.Write(kEnvSection, EnvKeyName(n, "_Key"), variable.first);
        file.Write(kEnvSection, EnvKeyName(n, "_Val"), variable.second);
        ++n;
    }
    if (!file.Commit(target)) return false;
    Modified = 0;
    return true;
}

void LaunchEntry::SetAppName(const std::string& name) {
    AppName = name;
    Modified = 1;
}

void LaunchEntry::SetAppPath(const std::string& path) {
    AppPath = path;
    Modified = 1;
}

void LaunchEntry::SetStartUp(int value) {
    StartUp = value;
    Modified = 1;
}

void LaunchEntry::SetUseCustomEnv(int value) {
    UseCustomEnv = value;
    Modified = 1;
}

// Marks the entry too: the mode is stored in the file like the other flags.
void LaunchEntry::SetOverWriteEnv(int value) {
    OverWriteEnv = value;
    Modified = 1;
}

void LaunchEntry::GetEnvNames(std::vector<std::string>& names) const {
    names.clear();
    names.reserve(EnvMap.size());
    for (const auto& variable : EnvMap) names.push_back(variable.first);
}

void LaunchEntry::LookupEnv(const std::string& name, std::string& value) const {
    EnvMap.Lookup(name, value);
}

void LaunchEntry::SetEnv(const std::string& name, const std::string& value) {
    EnvMap.Set(name, value);
    Modified = 1;
}

void LaunchEntry::ClearEnv() {
    EnvMap.Clear();
    Modified = 1;
}

std::size_t LaunchEntry::BuildEnvironmentBlock(char* buffer, std::size_t capacity) const {
    if (EnvMap.empty()) return 0;
    std::string block;
    if (OverWriteEnv) {
        // The entry's variables over the launcher's own; a name in other letter case is
        // a variable of its own.
        VarMap merged;
        SnapshotEnvironment(merged);
        for (const auto& variable : EnvMap) merged.Set(variable.first, variable.second);
        block = ComposeEnvironmentBlock(merged);
    } else {
        block = ComposeEnvironmentBlock(EnvMap);
    }
    // A buffer smaller than the block is left alone rather than overrun.
    if (buffer && capacity >= block.size()) std::memcpy(buffer, block.data(), block.size());
    return block.size();
}

}  // namespace verrow
