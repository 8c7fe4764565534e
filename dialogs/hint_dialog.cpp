#include "dialogs/hint_dialog.h"

#include "resources/texts.h"

namespace verrow {
namespace {
constexpr const char kFixedFace[] = "ＭＳ ゴシック";
constexpr BYTE kFixedPitchNoFamily = FIXED_PITCH | FF_DONTCARE;
}  // namespace

void HintDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Control(IDC_HINT_TEXT, TextBox);
    dx.Text(IDC_HINT_TEXT, Text);
}

bool HintDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    // The dialog's own font with only face and pitch changed: same size, weight and
    // character set, but every character of a kind is equally wide.
    LOGFONTW description;
    if (ui::Font::Describe(TextBox.Font(), description)) {
        ui::Font::SetFaceName(description, kFixedFace);
        description.lfPitchAndFamily = kFixedPitchNoFamily;
        if (fixedFont_.CreateIndirect(description)) TextBox.SetFont(fixedFont_.Handle(), true);
    }
    Text = text::kHintText;
    UpdateData(false);
    return true;
}

void HintDialog::OnDestroy() {
    // The box still exists here: hand it the dialog's font back before ours goes.
    if (fixedFont_.Handle()) {
        TextBox.SetFont(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), false);
        fixedFont_.Delete();
    }
}

}  // namespace verrow
