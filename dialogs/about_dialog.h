// The about box: the program's icon, name and version, and an OK button (template 100).
// Everything is the framework's default: OK and Enter end it with IDOK, Esc and the close
// box with IDCANCEL.
#pragma once

#include "platform/ui/dialog.h"

namespace verrow {

class AboutDialog : public ui::Dialog {
public:
    static constexpr int kTemplate = 100;
    explicit AboutDialog(HWND parent = nullptr);
};

}  // namespace verrow
