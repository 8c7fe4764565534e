// One registered program or folder, its entry file, its environment and its start.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/var_map.h"

namespace verrow {

// Entry file layout.
inline constexpr const char kEntrySection[] = "MoxEnvExec";
inline constexpr const char kEnvSection[] = "MoxEnvExec_Env";
inline constexpr const char kDriveVariable[] = "_VERROW_DRV_";

// Longest texts kept when an entry file is read, in bytes. The name box of the editor
// takes 1024 bytes, so a name is kept whole up to that length. A command line is written
// by hand (the editor has no box for it) and is kept up to the longest one a process
// start takes, 32766 characters of at most two bytes each: cut, it would start the
// program with half an argument, and be written back cut after the next EDIT. The same
// holds for the working folder, which a start takes up to 259 characters long.
inline constexpr std::size_t kNameReadLimit = 1024;
inline constexpr std::size_t kCmdOptReadLimit = 2 * 32766;
inline constexpr std::size_t kFolderReadLimit = 2 * 259;
inline constexpr std::size_t kTextReadLimit = 259;
inline constexpr std::size_t kEnvNameReadLimit = 259;
inline constexpr std::size_t kEnvValueReadLimit = 25999;

// Gives a variable a value of its own while an entry file is read: returns true when
// `out` holds the value to use instead of `value`.
using ValueFilterFn = bool (*)(std::string_view name, std::string_view value, std::string& out);

// The filter of entries read from the configuration folder: `_VERROW_DRV_` (any letter
// case) always holds the drive of the running executable, such as "E:".
bool DriveValueFilter(std::string_view name, std::string_view value, std::string& out);

// The working room of LoadFromFile, kept from one file to the next when many are read in
// a row: the tables of a file keep their size for the next, instead of the heap handing
// out and taking back blocks of the same sizes a thousand times.
class EntryReadRoom {
public:
    EntryReadRoom();
    ~EntryReadRoom();
    EntryReadRoom(const EntryReadRoom&) = delete;
    EntryReadRoom& operator=(const EntryReadRoom&) = delete;

private:
    friend class LaunchEntry;
    struct Tables;
    std::unique_ptr<Tables> tables_;
};

class LaunchEntry {
public:
    LaunchEntry();
    virtual ~LaunchEntry();
    LaunchEntry(const LaunchEntry&) = delete;
    LaunchEntry& operator=(const LaunchEntry&) = delete;

    // Reads the entry file at `path` (null: returns false, nothing changes). A missing
    // or unreadable file gives empty texts, flags 0 and no variables, and true.
    // The variables are read (and filtered) now, but kept as parts of the file's text
    // until they are first used: most entries of a run are only listed.
    bool LoadFromFile(const char* path);
    bool LoadFromFile(const std::string& path) { return LoadFromFile(path.c_str()); }
    // The same, working in `room` (which the next file read can use again).
    bool LoadFromFile(const std::string& path, EntryReadRoom& room);
    // The same for a file whose bytes have been read already (`read` false: it could not be).
    bool LoadFromFile(const std::string& path, bool read, std::string bytes, EntryReadRoom& room);

    // Writes the entry when it is modified, to `path` or, when null, to EntryFilePath.
    // True when nothing needed writing or the file was replaced; false when there is no
    // target, `mayWrite` says no, or the file could not be written (the entry then stays
    // modified). `mayWrite` is asked only when the file does not hold the entry already.
    bool SaveToFile(const char* path = nullptr, const std::function<bool()>& mayWrite = {});
    bool SaveToFile(const std::string& path, const std::function<bool()>& mayWrite = {}) {
        return SaveToFile(path.c_str(), mayWrite);
    }
    // The same, to a file that does not exist yet: false, and nothing written, when
    // something is at `path` already.
    bool SaveToNewFile(const std::string& path);

    void SetValueFilter(ValueFilterFn filter) { ValueFilter = filter; }

    const std::string& GetAppName() const { return AppName; }
    void SetAppName(const std::string& name);
    const std::string& GetAppPath() const { return AppPath; }
    void SetAppPath(const std::string& path);
    int GetStartUp() const { return StartUp; }
    void SetStartUp(int value);
    int GetUseCustomEnv() const { return UseCustomEnv; }
    void SetUseCustomEnv(int value);
    int GetOverWriteEnv() const { return OverWriteEnv; }
    void SetOverWriteEnv(int value);
    const std::string& GetCmdOpt() const { return CmdOpt; }
    const std::string& GetCurrentDir() const { return CurrentDir; }
    const std::string& GetEntryFilePath() const { return EntryFilePath; }
    bool IsModified() const { return Modified; }

    // Empties `names`, then lists every variable name in the map's order.
    void GetEnvNames(std::vector<std::string>& names) const;
    // Puts the value into `value`; leaves it untouched when there is no such name.
    void LookupEnv(const std::string& name, std::string& value) const;
    void SetEnv(const std::string& name, const std::string& value);
    void ClearEnv();
    const VarMap& GetEnvMap() const { return Env(); }

    // Composes the environment block of a start (buffer null or capacity 0: size only).
    // Returns the block's size in bytes, 0 when EnvMap is empty (no block) or when its
    // references cannot be composed (see ComposeEnvironmentBlock): Launch then fails.
    // `originals`, when given, gets for the strings of the block what the program is to
    // receive instead (ProcessStart::environmentOriginals): the launcher's own variables
    // that code page 932 cannot hold, where the entry does not set them and no reference
    // in their own value was replaced (one that a value only refers to stays whole).
    std::size_t BuildEnvironmentBlock(char* buffer, std::size_t capacity,
                                      std::vector<std::u16string>* originals = nullptr) const;

    // Starts the program, or opens the folder in Explorer. A path that begins with one
    // backslash (or slash) is taken on the launcher's own drive; the program's folder,
    // when the entry gives none, is worked out for this start only. True when the process
    // was created or Explorer was asked; a failed creation shows the error with its code.
    bool Launch(bool wait, bool newConsole) const;
    // Whether the path that Launch would start is the launcher's own executable.
    bool IsLauncherItself() const;

private:
    bool Save(const std::string& target, bool newFile);
    // Whether reading the file gives this entry as it stands: its layout, the drive another
    // computer gave the stick and keys the program does not know aside, a rewrite would
    // change nothing that a reading sees.
    bool FileReadsAsThis(const std::string& path) const;
    struct PendingVariables;
    // EnvMap, with the variables read from the file put in first.
    const VarMap& Env() const;
    VarMap& Env();

    ValueFilterFn ValueFilter = nullptr;
    std::string AppName;
    std::string CurrentDir;
    std::string AppPath;
    std::string CmdOpt;
    mutable VarMap EnvMap;
    // The variables read from the file and not yet in EnvMap, or null.
    mutable std::unique_ptr<PendingVariables> pending_;
    int StartUp = 0;
    int UseCustomEnv = 0;
    std::string EntryFilePath;
    bool Modified = false;
    int OverWriteEnv = 0;
};

}  // namespace verrow
