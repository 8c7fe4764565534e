// The entry editor (template IDD_ENTRY_EDIT): name, path, start-up flag and the entry's environment
// variables with the two flags that say how they are used. It edits working copies only;
// the caller fills them in, and after IDOK reads them back and makes the path
// drive-relative itself.
//
//   LaunchDrive = drive;                 // dialogs/launch_drive.h, before every opening
//   EntryEditDialog editor;
//   editor.OverWriteEnv = 1;             // a new entry; or copy an entry's values in
//   if (editor.DoModal() == IDOK) { use AppName, AppPath, StartUp, UseCustomEnv,
//                                   OverWriteEnv and EnvMap }
//
// An empty EnvMap is seeded when the dialog opens: the process environment plus
// _VERROW_DRV_ = LaunchDrive; variables that an entry file could not give back as they are
// (a character code page 932 lacks, longer than a name or value is kept, a line break) are
// left out, so that a merged start hands them on as the launcher has them. The variable
// list shows the names sorted without regard to letter case, each row tied to its
// variable's own bytes; the value box shows a value one ';'-separated element per line.
// The variable boxes take no more than an entry file keeps of a variable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/launch_entry.h"
#include "core/var_map.h"
#include "dialogs/launch_drive.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/scoped.h"
#include "resources/resource.h"

namespace verrow {

class EntryEditDialog : public ui::Dialog {
public:
    static constexpr std::size_t kNameLimit = 1024;  // bytes
    static constexpr std::size_t kPathLimit = 255;
    // What reading an entry file keeps; a value counted as stored (a line break is one ';').
    static constexpr std::size_t kEnvNameLimit = kEnvNameReadLimit;
    static constexpr std::size_t kEnvValueLimit = kEnvValueReadLimit;

    explicit EntryEditDialog(HWND parent = nullptr) : Dialog(IDD_ENTRY_EDIT, parent) {}

    VarMap EnvMap;
    ui::Button ApplyButton;
    ui::Button DeleteButton;
    ui::Button AddButton;
    ui::ListBox EnvList;
    ui::Button FolderButton;
    ui::Button FileButton;
    std::string AppName;
    std::string AppPath;
    int StartUp = 0;
    std::string EnvName;
    std::string EnvValue;  // shown form: one element per line
    int UseCustomEnv = 0;
    int OverWriteEnv = 0;
    ui::ToolTipWindow Tips;

    bool PreTranslateMessage(MSG& message) override;

    // The folder browser lets a folder be confirmed only on the launch drive: true when
    // the drive of `path` equals `launchDrive`, letter case ignored.
    static bool FolderAllowed(const std::string& path, const std::string& launchDrive);
    // A path a picker returned, in code page 932, into `path` when it can be taken: not
    // when it takes more than 259 bytes (a pick's path is held as a 260-byte buffer would
    // hold it: a longer one fails the pick, which changes nothing), nor when code page 932
    // cannot hold its characters (it would name another file, or none).
    enum class Pick { kTaken, kTooLong, kNotInCodePage };
    static Pick PickedPath(std::wstring_view picked, std::string& path);
    // A value between its stored form ("a;b") and the value box (one element per line).
    // Every line end is a line break: CR LF, a lone CR and a lone LF alike.
    static std::string ShownValue(const std::string& stored);
    static std::string StoredValue(const std::string& shown);

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void OnPickFile();
    void OnPickFolder();
    void OnSelchangeEnvList();
    void OnApply();
    void OnAdd();
    // Takes the fields for Apply and Add: false when the variable's own boxes could not be
    // taken. A field of the entry that could not be taken has been named, and the command
    // goes on: the variable's boxes were read all the same.
    bool TakeVariable();
    void OnDelete();
    void OnHint();
    // Takes a picked path into AppPath; false when not taken. A name that code page 932
    // cannot hold is explained; a path too long changes nothing without a word, as a
    // failed pick does.
    bool TakePicked(std::wstring_view picked);
    void SeedAndList();
    void UpdateButtons();
    void DeleteRow(int row);
    // A row of the variable list for `name`, and the name of a row. The screen may show a
    // name as other bytes; each row's data leads back to the name's own.
    void AddRow(const std::string& name);
    std::string RowName(int row) const;

    std::vector<std::string> listedNames_;  // a row's data is its index here + 1

    ScopedGdi<HBITMAP> fileImage_;
    ScopedGdi<HBITMAP> folderImage_;
};

}  // namespace verrow
