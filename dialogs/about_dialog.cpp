#include "dialogs/about_dialog.h"

namespace verrow {

AboutDialog::AboutDialog(HWND parent) : Dialog(kTemplate, parent) {}

}  // namespace verrow
