// A progress bar that draws a line of text centred over itself: white bold text with a
// one-pixel dark-blue outline, readable on the filled and the empty part alike.
// Bind it to an existing progress bar with DataExchange::Control; its paint then passes
// through here after the bar has painted itself. Its window text (WM_GETTEXT) is the label.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "platform/ui/controls.h"

namespace verrow {

// One text draw of the label: where, and in which colour.
struct LabelDraw {
    int x;
    int y;
    COLORREF colour;
};

constexpr COLORREF kLabelOutline = 0x660000;  // dark blue (COLORREF is 0x00BBGGRR)
constexpr COLORREF kLabelText = 0xFFFFFF;

// The ten draws of a label of size `text` over client rectangle `client`: the outline
// colour at the nine points around and on the origin, row by row, then white at the
// origin. Origin: x = width / 2 - cx / 2, y = (height - cy) / 2 (truncating divisions).
std::array<LabelDraw, 10> PlanLabel(const RECT& client, SIZE text);

class LabeledProgressCtrl : public ui::ProgressBar {
public:
    LabeledProgressCtrl() = default;

    // The text drawn over the bar. Setting it does not repaint: the owner changes the
    // range or position afterwards, which repaints.
    std::string Label;

protected:
    bool WantsMessages() const override { return true; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint(WPARAM wParam, LPARAM lParam);

    ui::Font LabelFont;         // the font of the last paint, rebuilt on every paint
    LOGFONTW LabelLogFont{};    // the description it is made from
};

}  // namespace verrow
