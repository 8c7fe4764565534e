// The hint window: a fixed help text on the environment settings of the entry editor
// (template 145), shown in a fixed-pitch font so that its example lines keep their columns.
// Opened without a parent from the editor's Hint button; the close button, Enter, Esc and
// the close box end it.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace verrow {

class HintDialog : public ui::Dialog {
public:
    static constexpr int kTemplate = 145;
    static constexpr int kTextBox = 1028;

    explicit HintDialog(HWND parent = nullptr) : Dialog(kTemplate, parent) {}

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
