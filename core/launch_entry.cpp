#include "core/launch_entry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/cp932.h"
#include "base/path.h"
#include "core/environment.h"
#include "platform/os.h"
#include "platform/profile.h"
#include "platform/timing.h"

namespace verrow {
namespace {

// "ENV%04d_Key" / "ENV%04d_Val": at least four digits, more from 10000 on.
std::string EnvKeyName(std::size_t number, const char* suffix) {
    std::string digits = std::to_string(number);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return "ENV" + digits + suffix;
}

const char* Flag(int value) { return value ? "1" : "0"; }

// The number and kind of a key named as "ENV%04d_Key" or "ENV%04d_Val" names it, in any
// letter case (look-ups ignore it): four digits with leading zeros, or more digits without
// from 10000 on. Any other key is no variable's.
bool ParseEnvKey(std::string_view key, std::size_t& number, bool& isName) {
    constexpr std::size_t kMaxDigits = 9;
    if (key.size() < 11 || key.size() > 7 + kMaxDigits) return false;
    auto is = [](char c, char upper) { return c == upper || c == upper + ('a' - 'A'); };
    if (!is(key[0], 'E') || !is(key[1], 'N') || !is(key[2], 'V') || key[key.size() - 4] != '_') return false;
    std::string_view kind = key.substr(key.size() - 3);
    if (is(kind[0], 'K') && is(kind[1], 'E') && is(kind[2], 'Y')) {
        isName = true;
    } else if (is(kind[0], 'V') && is(kind[1], 'A') && is(kind[2], 'L')) {
        isName = false;
    } else {
        return false;
    }
    std::string_view digits = key.substr(3, key.size() - 7);
    if (digits.size() > 4 && digits[0] == '0') return false;
    number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

}  // namespace

// The file's text and, in their order, views into it of the names and values read.
struct LaunchEntry::PendingVariables {
    struct Variable {
        std::string_view name;
        std::string_view value;
        std::size_t replacement;  // position in `replacements`, or kNone: `value` holds
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::unique_ptr<const std::string> text;
    std::vector<Variable> variables;
    std::vector<std::string> replacements;  // what the value filter gave
};

namespace {
// A key of the variables' section, by its number.
struct NumberedKey {
    std::size_t number;
    bool isName;
    std::string_view stored;
};
}  // namespace

struct EntryReadRoom::Tables {
    ProfileReader file;
    std::vector<NumberedKey> numbered;
    std::vector<std::pair<const std::string_view*, const std::string_view*>> pairs;
};

EntryReadRoom::EntryReadRoom() : tables_(std::make_unique<Tables>()) {}
EntryReadRoom::~EntryReadRoom() = default;

LaunchEntry::LaunchEntry() = default;
LaunchEntry::~LaunchEntry() = default;

const VarMap& LaunchEntry::Env() const {
    if (pending_) {
        // Taken out first: whatever happens, the variables go in only once.
        std::unique_ptr<PendingVariables> pending = std::move(pending_);
        EnvMap.Reserve(pending->variables.size());
        for (const PendingVariables::Variable& variable : pending->variables) {
            EnvMap.Set(std::string(variable.name),
                       variable.replacement == PendingVariables::kNone
                           ? std::string(variable.value)
                           : std::move(pending->replacements[variable.replacement]));
        }
    }
    return EnvMap;
}

VarMap& LaunchEntry::Env() {
    static_cast<const LaunchEntry*>(this)->Env();
    return EnvMap;
}

bool DriveValueFilter(std::string_view name, std::string_view value, std::string& out) {
    // Letter case never changes a length: most names are told apart without a walk.
    if (name.size() != sizeof kDriveVariable - 1 || !cp932::EqualsNoCase(name, kDriveVariable)) return false;
    out = SplitPath(GetOs().ModuleFileName()).drive;
    return true;
}

bool LaunchEntry::LoadFromFile(const char* path) {
    if (!path) return false;
    EntryReadRoom room;
    return LoadFromFile(std::string(path), room);
}

bool LaunchEntry::LoadFromFile(const std::string& path, EntryReadRoom& room) {
    std::string bytes;
    bool read;
    {
        VERROW_SPAN("store: read bytes");
        read = GetOs().ReadFile(path, bytes);
    }
    return LoadFromFile(path, read, std::move(bytes), room);
}

bool LaunchEntry::LoadFromFile(const std::string& path, bool read, std::string bytes, EntryReadRoom& room) {
    Modified = false;
    EntryFilePath = path;

    // A missing or unreadable file reads as one without keys.
    VERROW_SPAN("store: LoadFromFile");
    ProfileReader& file = room.tables_->file;
    file.Load(read, std::move(bytes));

    AppName = file.GetString(kEntrySection, "AppName", kNameReadLimit + 1);
    AppPath = file.GetString(kEntrySection, "AppPath", kTextReadLimit + 1);
    CmdOpt = file.GetString(kEntrySection, "CmdOpt", kCmdOptReadLimit + 1);
    CurrentDir = file.GetString(kEntrySection, "CurrentDir", kFolderReadLimit + 1);
    UseCustomEnv = file.GetInt(kEntrySection, "UseCustomEnv", 0);
    StartUp = file.GetInt(kEntrySection, "StartUp", 0);
    OverWriteEnv = file.GetInt(kEntrySection, "OverWriteEnv", 0);

    // No count is stored: the first missing or empty name ends the list. The section's
    // keys are taken in one walk and placed by their numbers, instead of a look-up of a
    // formatted name per key; the numbering rule is the same.
    EnvMap.Clear();
    pending_.reset();
    std::vector<NumberedKey>& numbered = room.tables_->numbered;
    numbered.clear();
    file.ForEachKey(kEnvSection, [&numbered](std::string_view key, std::string_view stored) {
        NumberedKey found{0, false, stored};
        if (ParseEnvKey(key, found.number, found.isName)) numbered.push_back(found);
    });
    // Variable n is reached only after n names, so numbers beyond the count never are.
    auto& pairs = room.tables_->pairs;
    pairs.assign(numbered.size(), {nullptr, nullptr});
    for (const NumberedKey& key : numbered) {
        if (key.number >= pairs.size()) continue;
        (key.isName ? pairs[key.number].first : pairs[key.number].second) = &key.stored;
    }
    std::size_t count = 0;
    while (count < pairs.size() && pairs[count].first) ++count;
    if (count == 0) return true;
    auto pending = std::make_unique<PendingVariables>();
    pending->variables.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        std::string_view name = ProfileReader::ValueText(*pairs[n].first, kEnvNameReadLimit + 1);
        if (name.empty()) break;
        std::string_view value = pairs[n].second ? ProfileReader::ValueText(*pairs[n].second, kEnvValueReadLimit + 1)
                                                 : std::string_view();
        std::size_t replaced = PendingVariables::kNone;
        std::string replacement;
        if (ValueFilter && ValueFilter(name, value, replacement)) {
            replaced = pending->replacements.size();
            pending->replacements.emplace_back(cp932::Truncate(replacement, kEnvValueReadLimit));
        }
        pending->variables.push_back({name, value, replaced});
    }
    if (pending->variables.empty()) return true;
    // The views point into the file's text, which moves here unchanged.
    pending->text = file.TakeText();
    pending_ = std::move(pending);
    return true;
}

bool LaunchEntry::SaveToFile(const char* path, const std::function<bool()>& mayWrite) {
    if (!Modified) return true;
    const std::string target = path ? std::string(path) : EntryFilePath;
    if (target.empty()) return false;
    // An EDIT that changed nothing marks the entry all the same; its file is left alone.
    if (FileReadsAsThis(target)) {
        Modified = false;
        return true;
    }
    if (mayWrite && !mayWrite()) return false;
    return Save(target, false);
}

bool LaunchEntry::SaveToNewFile(const std::string& path) {
    if (!Modified) return true;
    if (path.empty()) return false;
    return Save(path, true);
}

bool LaunchEntry::Save(const std::string& target, bool newFile) {
    // The whole file is built first and then replaces the old one (or, for a new file,
    // is created) in one step, so a failed write or a removed stick never leaves the
    // registration half written.
    ProfileWriter file;
    file.Write(kEntrySection, "AppName", AppName);
    file.Write(kEntrySection, "AppPath", AppPath);
    file.Write(kEntrySection, "CmdOpt", CmdOpt);
    file.Write(kEntrySection, "CurrentDir", CurrentDir);
    file.Write(kEntrySection, "UseCustomEnv", Flag(UseCustomEnv));
    file.Write(kEntrySection, "OverWriteEnv", Flag(OverWriteEnv));
    file.Write(kEntrySection, "StartUp", Flag(StartUp));
    std::size_t n = 0;
    for (const auto& variable : Env()) {
        // Written empty, a name would end the list for the next reading: every variable
        // after it would be lost. Only a damaged file gives one (a lone lead byte).
        if (ProfileWriter::Kept(variable.first).empty()) continue;
        file.Write(kEnvSection, EnvKeyName(n, "_Key"), variable.first);
        file.Write(kEnvSection, EnvKeyName(n, "_Val"), variable.second);
        ++n;
    }
    if (!(newFile ? file.CommitNew(target) : file.Commit(target))) return false;
    Modified = false;
    return true;
}

bool LaunchEntry::FileReadsAsThis(const std::string& path) const {
    std::string bytes;
    if (!GetOs().ReadFile(path, bytes)) return false;
    LaunchEntry read;
    read.ValueFilter = ValueFilter;
    EntryReadRoom room;
    read.LoadFromFile(path, true, std::move(bytes), room);
    auto on = [](int flag) { return flag != 0; };
    return read.AppName == AppName && read.AppPath == AppPath && read.CmdOpt == CmdOpt &&
           read.CurrentDir == CurrentDir && on(read.StartUp) == on(StartUp) &&
           on(read.UseCustomEnv) == on(UseCustomEnv) && on(read.OverWriteEnv) == on(OverWriteEnv) &&
           std::equal(read.Env().begin(), read.Env().end(), Env().begin(), Env().end());
}

void LaunchEntry::SetAppName(const std::string& name) {
    AppName = name;
    Modified = true;
}

void LaunchEntry::SetAppPath(const std::string& path) {
    AppPath = path;
    Modified = true;
}

void LaunchEntry::SetStartUp(int value) {
    StartUp = value;
    Modified = true;
}

void LaunchEntry::SetUseCustomEnv(int value) {
    UseCustomEnv = value;
    Modified = true;
}

// Marks the entry too: the mode is stored in the file like the other flags.
void LaunchEntry::SetOverWriteEnv(int value) {
    OverWriteEnv = value;
    Modified = true;
}

void LaunchEntry::GetEnvNames(std::vector<std::string>& names) const {
    names.clear();
    const VarMap& variables = Env();
    names.reserve(variables.size());
    for (const auto& variable : variables) names.push_back(variable.first);
}

void LaunchEntry::LookupEnv(const std::string& name, std::string& value) const {
    Env().Lookup(name, value);
}

void LaunchEntry::SetEnv(const std::string& name, const std::string& value) {
    Env().Set(name, value);
    Modified = true;
}

void LaunchEntry::ClearEnv() {
    pending_.reset();
    EnvMap.Clear();
    Modified = true;
}

std::size_t LaunchEntry::BuildEnvironmentBlock(char* buffer, std::size_t capacity,
                                               std::vector<std::u16string>* originals) const {
    if (originals) originals->clear();
    const VarMap& variables = Env();
    if (variables.empty()) return 0;
    std::string block;
    if (OverWriteEnv) {
        // The entry's variables over the launcher's own; a name in other letter case is
        // a variable of its own.
        VarMap merged;
        std::vector<std::u16string> inherited;
        SnapshotEnvironment(merged, &inherited);
        for (const auto& variable : variables) {
            const std::size_t at = merged.Set(variable.first, variable.second);
            if (at < inherited.size()) inherited[at].clear();  // the entry's, through code page 932
        }
        std::vector<bool> untouched;
        block = ComposeEnvironmentBlock(merged, kMaxComposedBytes, originals ? &untouched : nullptr);
        // The launcher's variables that code page 932 cannot hold reach the program as the
        // launcher has them, unless the composition changes them. One that a value only
        // refers to stays whole: a LOGDIR=%TEMP%\logs must not spoil the program's TEMP.
        if (originals && !block.empty()) {
            for (std::size_t at = 0; at < inherited.size(); ++at) {
                if (!untouched[at]) inherited[at].clear();
            }
            originals->swap(inherited);
        }
    } else {
        block = ComposeEnvironmentBlock(variables);
    }
    // A buffer smaller than the block is left alone rather than overrun.
    if (buffer && capacity >= block.size()) std::memcpy(buffer, block.data(), block.size());
    return block.size();
}

}  // namespace verrow
