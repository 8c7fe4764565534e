// The hint window: a fixed help text on the environment settings of the entry editor
// (template IDD_HINT), shown in a fixed-pitch font so that its example lines keep their columns.
// Opened without a parent from the editor's Hint button; the close button, Enter, Esc and
// the close box end it.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "resources/resource.h"

namespace verrow {

class HintDialog : public ui::Dialog {
public:
    explicit HintDialog(HWND parent = nullptr) : Dialog(IDD_HINT, parent) {}

    ui::Edit TextBox;
    std::string Text;

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    ui::Font fixedFont_;  // made at every opening, released when the window goes
};

}  // namespace verrow
