// The entry files of the configuration folder "VERROW_CNF" next to the executable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/launch_entry.h"
#include "platform/os.h"

namespace verrow {

inline constexpr const char kConfigFolderName[] = "VERROW_CNF";

// The main window's entry collection. It owns the entries; a position stays valid while
// other entries are added or removed, and list rows carry it as their item data. Entries
// are kept in order in one array: a position is found by a walk, which only the commands
// need, while loading and ending a run need no node and no index entry per entry.
class EntryCollection {
public:
    using Position = std::uintptr_t;

    Position Append(std::unique_ptr<LaunchEntry> entry);
    LaunchEntry* At(Position position) const;  // null for an unknown position
    void Remove(Position position);            // destroys the entry
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Detaches every entry, first to last (used when they are written at the end).
    std::vector<std::unique_ptr<LaunchEntry>> TakeAll();

private:
    std::size_t Find(Position position) const;  // its place in entries_, or size()

    std::vector<std::unique_ptr<LaunchEntry>> entries_;
};

// What the store needs of the entry list on screen.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    // A row at the end: text, image (1 start-up, 0 otherwise), column-1 text, item data.
    virtual void AppendRow(const std::string& name, int image, const std::string& pathText,
                           EntryCollection::Position position) = 0;
    virtual void FitColumns() = 0;
    // True once no more entries are wanted: the load ends before the next file, so that
    // no start-up entry starts after Windows ended the session during a start's message.
    virtual bool Stopped() const { return false; }
};

class EntryStore {
public:
    // `exeFolder` ends in a backslash (E:\tools\); `drive` is "E:" or empty.
    EntryStore(std::string exeFolder, std::string drive);

    std::string ConfigFolder() const;  // E:\tools\VERROW_CNF
    // The configuration folder is not there as a folder: deleted during the run, its drive
    // gone, or a file in its place. Told when its files cannot be written or deleted, as
    // the usual advice would not say why.
    bool ConfigFolderGone() const;

    // The entry files as found before the load, with their reading under way (the
    // platform may read them on while the caller does other work). Empty when the
    // configuration folder held none.
    struct EntryFiles {
        std::vector<std::string> paths;
        std::unique_ptr<FileSequence> contents;  // in the order of `paths`
        bool listed = false;                     // the folder has been looked at
    };
    EntryFiles FindEntryFiles() const;

    // Reads every *.vrc file, appends entries and rows, starts the start-up entries
    // right after their rows, then fits the columns. The files are those that
    // FindEntryFiles gave (`found`), or, without them, those the folder lists now.
    void LoadAllEntries(EntryCollection& entries, EntrySink& sink, EntryFiles found);
    void LoadAllEntries(EntryCollection& entries, EntrySink& sink) { LoadAllEntries(entries, sink, EntryFiles{}); }

    // Writes every new or changed entry and destroys all of them. Returns the names of
    // the entries that could not be written (empty when all went well). `mayWrite`, when
    // given, is asked once, before the first entry would be written; false counts as a
    // failed write of every entry to be written.
    std::vector<std::string> SaveAllEntries(EntryCollection& entries,
                                            const std::function<bool()>& mayWrite = {});

    // Deletes an entry's file at once (entries never written have none). True when the
    // entry has no file left: never written, or no longer in its folder, deleted now or
    // by someone else before; false when the file is still there, or its folder is gone
    // too (perhaps the whole drive) and nothing can be told, or `mayWrite`, asked before
    // the deletion, says no.
    bool DeleteEntryFile(const LaunchEntry& entry, const std::function<bool()>& mayWrite = {});

private:
    std::string exeFolder_;
    std::string drive_;
};

}  // namespace verrow
