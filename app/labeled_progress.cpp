#include "app/labeled_progress.h"

#include <algorithm>

#include "platform/scoped.h"
#include "platform/win32_text.h"

namespace verrow {

std::array<LabelDraw, 10> PlanLabel(const RECT& client, SIZE text) {
    int x = (client.right - client.left) / 2 - text.cx / 2;
    int y = (client.bottom - client.top - text.cy) / 2;
    std::array<LabelDraw, 10> draws{};
    std::size_t n = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) draws[n++] = {x + dx, y + dy, kLabelOutline};
    }
    draws[n] = {x, y, kLabelText};
    return draws;
}

LRESULT LabeledProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint(wParam, lParam);
        return 0;
    case WM_CREATE:
        return CallDefault(message, wParam, lParam) == -1 ? -1 : 0;
    // An addition: the window's text is the label, so that screen readers and other
    // programs (the GUI tests among them) can read what the bar shows. The framework
    // creates its windows through the wide functions, so the text is UTF-16 here.
    case WM_GETTEXTLENGTH:
        if (!IsWindowUnicode(Handle())) break;
        return static_cast<LRESULT>(ToSystemText(Label).size());
    case WM_GETTEXT: {
        if (!IsWindowUnicode(Handle())) break;
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        auto room = static_cast<std::size_t>(wParam);
        if (!buffer || room == 0) return 0;
        std::wstring text = ToSystemText(Label);
        std::size_t count = std::min(text.size(), room - 1);
        text.copy(buffer, count);
        buffer[count] = L'\0';
        return static_cast<LRESULT>(count);
    }
    default:
        break;
    }
    return CallDefault(message, wParam, lParam);
}

void LabeledProgressCtrl::OnPaint(WPARAM wParam, LPARAM lParam) {
    // The bar paints itself completely first (and validates the update region).
    CallDefault(WM_PAINT, wParam, lParam);

    ui::ClientDC dc(Handle());
    LabelFont.Delete();
    // The label follows the control's font (the dialog's), in bold Arial. A control
    // without a font falls back to the system's interface font.
    HFONT current = Font();
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    ui::Font::Describe(current, LabelLogFont);
    ui::Font::SetFaceName(LabelLogFont, "Arial");
    LabelLogFont.lfWeight = FW_BOLD;
    LabelFont.CreateIndirect(LabelLogFont);

    ScopedSelect select(dc.Handle(), LabelFont.Handle() ? static_cast<HGDIOBJ>(LabelFont.Handle())
                                                            : static_cast<HGDIOBJ>(current));
    SIZE size = dc.TextExtent(Label);
    RECT client{};
    GetClientRect(Handle(), &client);
    dc.SetBkMode(TRANSPARENT);
    for (const LabelDraw& draw : PlanLabel(client, size)) {
        dc.SetTextColor(draw.colour);
        dc.TextAt(draw.x, draw.y, Label);
    }
}

}  // namespace verrow
