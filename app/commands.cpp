// The main window's commands, one handler each. Commands that act on the selection do
// nothing, and show nothing, when no entry is selected. Apart from starting programs they
// change only memory; DEL alone touches the disk at once (the entry's file goes).
#include "app/launcher_dialog.h"

#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "core/drive_rule.h"
#include "dialogs/entry_edit_dialog.h"
#include "dialogs/launch_drive.h"
#include "dialogs/settings_dialog.h"
#include "platform/os.h"
#include "platform/ui/message.h"
#include "resources/texts.h"

namespace verrow {
namespace {

constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;

int ImageFor(int startUp) { return startUp ? EntryListView::kStartUpImage : EntryListView::kNormalImage; }

// The editor's path as it is stored: on the launch drive, without the drive. False (after
// the message) for a path anywhere else; what was entered is then dropped. The editor has
// made it whole already where it could, as its check read it.
bool StoredPathOf(const std::string& entered, const std::string& drive, std::string& stored) {
    if (ApplyDriveRule(entered, drive, stored)) return true;
    ui::ShowMessage(text::kWrongDrive, mb::kOk | mb::kIconExclamation);
    return false;
}

// The editor's values into an entry, in the setters' fixed order; the variables follow
// the editor's map in its own order.
void TakeEditorValues(const EntryEditDialog& editor, const std::string& storedPath, LaunchEntry& entry) {
    entry.SetAppName(editor.AppName);
    entry.SetAppPath(storedPath);
    entry.SetStartUp(editor.StartUp);
    entry.SetUseCustomEnv(editor.UseCustomEnv);
    entry.SetOverWriteEnv(editor.OverWriteEnv);
}

void TakeEditorVariables(const EntryEditDialog& editor, LaunchEntry& entry) {
    for (const auto& [name, value] : editor.EnvMap) entry.SetEnv(name, value);
}

}  // namespace

void LauncherDialog::OnRun() {
    int item = List.SelectedItem();
    if (item < 0) return;
    LaunchEntry* entry = EntryList.At(static_cast<EntryCollection::Position>(List.ItemData(item)));
    if (!entry) return;
    // Not waited for, no console of its own. A failed process creation has shown its
    // error code already; this message follows it, unless Windows ended the session under
    // that one (the entry has been saved and released meanwhile: it is not touched again).
    if (!entry->Launch(false, false) && !sessionEnded_) {
        ui::ShowMessage(text::kRunFailed, mb::kOk | mb::kIconExclamation);
    }
}

void LauncherDialog::OnAdd() {
    EntryEditDialog editor;  // no parent: the active window, this one, owns it
    LaunchDrive = Drive;
    editor.AppName.clear();
    editor.AppPath.clear();
    editor.StartUp = 0;
    editor.UseCustomEnv = 0;
    editor.OverWriteEnv = 1;
    if (editor.DoModal() != IDOK || sessionEnded_) return;

    std::string storedPath;
    if (!StoredPathOf(editor.AppPath, Drive, storedPath)) return;

    // The row first, showing the path as it was entered; its data once the entry exists.
    int item = List.InsertItem(List.ItemCount(), editor.AppName, ImageFor(editor.StartUp));
    if (item < 0) return;
    List.SetItemText(item, kPathColumn, editor.AppPath);

    auto entry = std::make_unique<LaunchEntry>();
    TakeEditorValues(editor, storedPath, *entry);
    TakeEditorVariables(editor, *entry);
    EntryCollection::Position position = EntryList.Append(std::move(entry));
    List.SetItemData(item, static_cast<LPARAM>(position));

    List.FitColumns();
}

void LauncherDialog::OnEdit() {
    int item = List.SelectedItem();
    if (item < 0) return;
    auto position = static_cast<EntryCollection::Position>(List.ItemData(item));
    LaunchEntry* entry = EntryList.At(position);
    if (!entry) return;

    EntryEditDialog editor;
    std::vector<std::string> names;
    entry->GetEnvNames(names);
    for (const std::string& name : names) {
        std::string value;
        entry->LookupEnv(name, value);
        editor.EnvMap.Set(name, value);
    }
    LaunchDrive = Drive;
    // Name and path as the row shows them: the path with the drive in front, or as it was
    // entered when the entry was added or changed in this run.
    editor.AppName = List.ItemText(item, kNameColumn);
    editor.AppPath = List.ItemText(item, kPathColumn);
    // Any non-zero flag is on (a file edited by hand may hold 5 or -1); the check boxes
    // know only 0 and 1 and would show anything else as off, and OK would store it so.
    editor.StartUp = entry->GetStartUp() != 0;
    editor.UseCustomEnv = entry->GetUseCustomEnv() != 0;
    editor.OverWriteEnv = entry->GetOverWriteEnv() != 0;
    // The end of the session, met while the editor was open, has saved and released the
    // entries already.
    if (editor.DoModal() != IDOK || sessionEnded_ || EntryList.At(position) != entry) return;

    std::string storedPath;
    if (!StoredPathOf(editor.AppPath, Drive, storedPath)) return;

    // CmdOpt, CurrentDir and the entry's file stay as they are.
    TakeEditorValues(editor, storedPath, *entry);
    entry->ClearEnv();
    TakeEditorVariables(editor, *entry);

    List.SetItemText(item, kNameColumn, editor.AppName);
    List.SetItemText(item, kPathColumn, editor.AppPath);
    List.SetItemImage(item, ImageFor(editor.StartUp));
    // The list tells of a change of the name or the picture, not of the path column: the
    // path field is brought up to date here.
    OnItemchangedList();

    List.FitColumns();
}

void LauncherDialog::OnDel() {
    int item = List.SelectedItem();
    if (item < 0) return;
    if (ui::ShowMessage(text::kConfirmDelete, mb::kOkCancel | mb::kIconExclamation) != mb::kIdOk) return;
    if (sessionEnded_) return;

    auto position = static_cast<EntryCollection::Position>(List.ItemData(item));
    LaunchEntry* entry = EntryList.At(position);
    if (!entry) return;
    // The file goes at once, so the entry stays deleted whatever ends the run. An entry
    // added in this run has no file yet. A file that stays (a write-protected stick, a
    // locked file) keeps its registration: it would come back at the next start. So does
    // one on a stick that now has another letter: the file at the old path is not its own.
    EntryStore store(ExeFolder, Drive);
    if (!store.DeleteEntryFile(*entry, [this] { return SameVolumeAsAtStart(); })) {
        const std::string reason = store.ConfigFolderGone() ? std::string(text::kConfigFolderMissing) + "\n\n" : "";
        ui::ShowMessage(cp932::Substitute(text::kDeleteFailed, {entry->GetEntryFilePath(), reason}),
                        mb::kOk | mb::kIconExclamation);
        return;
    }
    EntryList.Remove(position);
    // The columns keep their widths, and the path field is left to the list's own notice.
    List.DeleteItem(item);
}

void LauncherDialog::OnDrive() {
    // The root named as such: Explorer reads a bare "V:" as the current folder of V:, which
    // is Verrow's own when it was started from its folder. Its result is not examined: a
    // missing Explorer is nothing the user can act on here.
    GetOs().ShellOpen(Handle(), "explorer", "/e," + (Drive.empty() ? Drive : Drive + '\\'));
}

void LauncherDialog::OnConf() {
    SettingsDialog settings;
    // Any non-zero value is on (5 in a file edited by hand): shown as it is, the box would
    // be off, and OK would store it so.
    settings.StartOpen = StartOpen != 0;
    settings.ListStyle = ListStyle;
    if (settings.DoModal() != IDOK) return;

    StartOpen = settings.StartOpen;
    ListStyle = settings.ListStyle;
    settingsUnread_ = false;  // chosen now: saved at the end
    const DWORD view = static_cast<DWORD>(settings.ViewMode) & LVS_TYPEMASK;
    const bool viewChanged = (List.Style() & LVS_TYPEMASK) != view;
    List.ModifyStyle(LVS_TYPEMASK, view);
    // Drawn anew as a whole: some list controls repaint only what they think changed and
    // leave rows and grid lines of the old view on the screen.
    InvalidateRect(List.Handle(), nullptr, TRUE);
    if (settings.ViewMode == LVS_REPORT) List.FitColumns();
    if (viewChanged) List.ShowSelectedRow();  // the same view stays where the user scrolled to
}

}  // namespace verrow
