#include "storage/entry_store.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/path.h"
#include "platform/os.h"
#include "platform/timing.h"
#include "resources/texts.h"

namespace verrow {
namespace {

constexpr const char kEntryPattern[] = "*.vrc";
constexpr const char kEntryExtension[] = ".vrc";
constexpr const char kTempPrefix[] = "VERROW";
// The listing's pattern meets short names too: on FAT, "a.vrc~" (an editor's backup) is
// also "A~1.VRC". Only a name of its own with the extension is an entry file.
bool IsEntryFileName(std::string_view name) {
    constexpr std::size_t size = sizeof(kEntryExtension) - 1;
    return name.size() >= size && cp932::EqualsNoCase(name.substr(name.size() - size), kEntryExtension);
}

// A run of existing VERxxxx.vrc names longer than this is not worth searching through.
constexpr int kMaxNameTries = 1024;

// Saves a new entry under a name of its own: a unique temporary name with the entry
// files' extension. The temporary file stays until the entry file exists, so that the
// platform hands its name to no other copy of the program meanwhile, and the entry file
// is only ever created, never put over another: a name that is taken all the same (by a
// copy that keeps no reservation) makes the next one tried. The rejected names' temporary
// files stay too, and then every one is deleted. False when no name can be had or the
// folder cannot be written.
bool SaveNewEntry(LaunchEntry& entry, const std::string& folder) {
    Os& os = GetOs();
    std::vector<std::string> temps;
    bool saved = false;
    for (int tries = 0; tries < kMaxNameTries && !saved; ++tries) {
        std::string temp;
        if (!os.CreateTempFile(folder, kTempPrefix, temp)) break;
        temps.push_back(temp);
        PathParts parts = SplitPath(temp);
        const std::string candidate = parts.drive + parts.dir + parts.base + kEntryExtension;
        if (os.FindFile(candidate, nullptr)) continue;  // an entry file's name already
        saved = entry.SaveToNewFile(candidate);
        // Not a name taken meanwhile: the folder cannot be written.
        if (!saved && !os.FindFile(candidate, nullptr)) break;
    }
    for (const std::string& temp : temps) os.DeleteFile(temp);
    return saved;
}

}  // namespace

EntryCollection::Position EntryCollection::Append(std::unique_ptr<LaunchEntry> entry) {
    if (!entry) return 0;
    Position position = reinterpret_cast<Position>(entry.get());
    entries_.push_back(std::move(entry));
    return position;
}

std::size_t EntryCollection::Find(Position position) const {
    std::size_t at = 0;
    while (at < entries_.size() && reinterpret_cast<Position>(entries_[at].get()) != position) ++at;
    return at;
}

LaunchEntry* EntryCollection::At(Position position) const {
    std::size_t at = Find(position);
    return at < entries_.size() ? entries_[at].get() : nullptr;
}

void EntryCollection::Remove(Position position) {
    std::size_t at = Find(position);
    if (at < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<std::unique_ptr<LaunchEntry>> EntryCollection::TakeAll() {
    std::vector<std::unique_ptr<LaunchEntry>> out = std::move(entries_);
    entries_.clear();
    return out;
}

EntryStore::EntryStore(std::string exeFolder, std::string drive)
    : exeFolder_(std::move(exeFolder)), drive_(std::move(drive)) {}

std::string EntryStore::ConfigFolder() const { return exeFolder_ + kConfigFolderName; }

EntryStore::EntryFiles EntryStore::FindEntryFiles() const {
    Os& os = GetOs();
    const std::string folder = ConfigFolder();
    EntryFiles found;
    found.listed = true;
    std::vector<std::string> names = os.ListFiles(folder + "\\" + kEntryPattern);
    VERROW_MARK("store: files listed");
    found.paths.reserve(names.size());
    for (const std::string& name : names) {
        if (IsEntryFileName(name)) found.paths.push_back(folder + "\\" + name);
    }
    if (found.paths.empty()) return found;
    found.contents = os.ReadFiles(found.paths);
    return found;
}

void EntryStore::LoadAllEntries(EntryCollection& entries, EntrySink& sink, EntryFiles found) {
    Os& os = GetOs();
    const std::string folder = ConfigFolder();
    if (!os.FindFile(folder, nullptr) && !os.CreateDirectory(folder)) {
        os.ShowMessage(text::kConfigFolderMissing, mb::kOk | mb::kIconExclamation);
        return;
    }

    VERROW_MARK("store: folder found");
    // The platform may read the files ahead while the entries are made and started here.
    if (!found.listed) found = FindEntryFiles();
    const std::vector<std::string>& paths = found.paths;
    FileSequence* files = found.contents.get();
    EntryReadRoom room;
    std::string bytes;
    for (const std::string& path : paths) {
        if (sink.Stopped()) break;
        auto owned = std::make_unique<LaunchEntry>();
        owned->SetValueFilter(DriveValueFilter);
        bool read;
        {
            VERROW_SPAN("store: read bytes");
            read = files->Next(bytes);
        }
        owned->LoadFromFile(path, read, std::move(bytes), room);  // an unreadable file still gives an entry
        LaunchEntry& entry = *owned;
        EntryCollection::Position position = entries.Append(std::move(owned));
        {
            VERROW_SPAN("store: rows");
            sink.AppendRow(entry.GetAppName(), entry.GetStartUp() ? 1 : 0,
                           drive_ + entry.GetAppPath(), position);
        }
        // The launcher itself is not started: each copy would start the next, without end.
        if (entry.GetStartUp() && !entry.IsLauncherItself()) entry.Launch(false, false);
    }
    VERROW_MARK("store: entries read");
    sink.FitColumns();
    VERROW_MARK("store: columns fitted");
}

std::vector<std::string> EntryStore::SaveAllEntries(EntryCollection& entries,
                                                   const std::function<bool()>& mayWrite) {
    std::vector<std::string> failed;
    const std::string folder = ConfigFolder();
    // Asked once, at the first entry that is to be written: an entry whose file holds it
    // already (an EDIT that changed nothing) is not, even on another volume.
    std::optional<bool> allowed;
    const std::function<bool()> mayWriteOnce = [&] {
        if (!allowed) allowed = !mayWrite || mayWrite();
        return *allowed;
    };
    for (std::unique_ptr<LaunchEntry>& entry : entries.TakeAll()) {
        // Entries that are not modified are never written, so they need no name either.
        if (entry->IsModified()) {
            const std::string& path = entry->GetEntryFilePath();
            const bool saved = path.empty() ? mayWriteOnce() && SaveNewEntry(*entry, folder)
                                            : entry->SaveToFile(path, mayWriteOnce);
            if (!saved) failed.push_back(entry->GetAppName());
        }
        entry.reset();
    }
    return failed;
}

bool EntryStore::ConfigFolderGone() const {
    std::uint32_t attributes = 0;
    return !GetOs().FindFile(ConfigFolder(), &attributes) || !(attributes & kAttributeDirectory);
}

bool EntryStore::DeleteEntryFile(const LaunchEntry& entry, const std::function<bool()>& mayWrite) {
    const std::string& path = entry.GetEntryFilePath();
    if (path.empty()) return true;
    if (mayWrite && !mayWrite()) return false;
    Os& os = GetOs();
    os.DeleteFile(path);
    // Judged by what the folder holds afterwards: some systems report a deletion that the
    // file system then refuses (wine on a write-protected or immutable file), and a file
    // someone else deleted already is what was wanted. A folder that is gone as well
    // tells nothing (the whole drive may be).
    return !os.FindFile(path, nullptr) && os.FindFile(ConfigFolder(), nullptr);
}

}  // namespace verrow
