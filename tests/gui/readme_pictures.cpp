// The README's pictures (tools/screenshots.sh lays out the stick E: and runs this under
// wine): the real Verrow.exe from E:\tools with the registrations found there, shot as
// <build>/screenshots/readme_main_window.png, readme_entry_editor.png and
// readme_settings.png. Not a test: it only says what it could not do.
#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/resource.h"
#include "tests/gui/command_steps.h"
#include "tests/gui/gui_driver.h"

namespace verrow::gui {
namespace {

constexpr char kExe[] = "E:\\tools\\Verrow.exe";
constexpr char kTools[] = "E:\\tools";
// The registration shown selected in the main window and opened in the editor, and the
// variable shown in the editor.
constexpr char kShownEntry[] = "Python 3.12";
constexpr char kShownVariable[] = "PATH";

int Fail(const char* what) {
    std::fprintf(stderr, "readme pictures: %s\n", what);
    return 1;
}

int Run() {
    VerrowProcess verrow;
    if (!verrow.Start(kExe, kTools)) return Fail(verrow.Error().c_str());
    RemoteListView list = verrow.List();
    int shown = -1;
    for (int item = 0; item < list.Count(); ++item) {
        if (list.Text(item, 0) == kShownEntry) shown = item;
    }
    if (shown < 0 || !list.Select(shown)) return Fail("the registration to show is not listed");
    Settle(verrow);
    Sleep(1200);  // a tick of the free-space bar after the selection
    if (!verrow.BringToFront() ||
        !test::SaveScreenshot(CaptureFromScreen(verrow.Main()), "readme_main_window")) {
        return Fail("no picture of the main window");
    }

    verrow.Click(IDC_EDIT);
    HWND editor = verrow.WaitForDialog(kEditorCaption);
    if (!editor) return Fail("the editor did not open");
    SendMessageW(GetDlgItem(editor, IDC_NAME), EM_SETSEL, static_cast<WPARAM>(-1), 0);  // no highlighted name
    SelectRows(editor, IDC_ENV_LIST, {kShownVariable});
    if (!WaitUntil([&] { return !TextOf(editor, IDC_ENV_VALUE).empty(); })) return Fail("the variable's value is not shown");
    if (!Shoot(editor, "readme_entry_editor")) return Fail("no picture of the editor");
    if (!EndEditor(verrow, editor, IDCANCEL)) return Fail("the editor did not close");

    verrow.Click(IDC_CONF);
    HWND settings = verrow.WaitForDialog(kSettingsCaption);
    if (!settings) return Fail("the settings dialog did not open");
    if (!Shoot(settings, "readme_settings")) return Fail("no picture of the settings dialog");
    VerrowProcess::ClickIn(settings, IDCANCEL);
    if (!verrow.WaitForNoDialog(settings)) return Fail("the settings dialog did not close");

    verrow.Close(CloseWay::kEscape);
    if (verrow.WaitForExit() != 0) return Fail("Verrow did not end cleanly");
    return 0;
}

}  // namespace
}  // namespace verrow::gui

int main() { return verrow::gui::Run(); }
