// The main window's commands, one handler each. Commands that act on the selection do
// nothing, and show nothing, when no entry is selected.
#include "app/launcher_dialog.h"

#include "platform/os.h"
#include "platform/ui/message.h"
#include "resources/texts.h"

namespace verrow {

void LauncherDialog::OnRun() {
    int item = List.SelectedItem();
    if (item < 0) return;
    LaunchEntry* entry = EntryList.At(static_cast<verrow::EntryList::Position>(List.ItemData(item)));
    if (!entry) return;
    // Not waited for, no console of its own. A failed process creation has shown its
    // error code already; this message follows it.
    if (!entry->Launch(false, false)) ui::ShowMessage(text::kRunFailed, mb::kOk | mb::kIconExclamation);
}

void LauncherDialog::OnDrive() {
    // Its result is not examined: a missing Explorer is nothing the user can act on here.
    GetOs().ShellOpen(Handle(), "explorer", "/e," + Drive);
}

}  // namespace verrow
