// The labeled progress bar: where the label goes, and what its paint puts on the screen.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/labeled_progress.h"
#include "resources/resource.h"
#include "tests/ui/probe_dialog.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

TEST(LabelPlan, CentresWithTruncatingDivisionsAndOutlinesBeforeTheText) {
    auto draws = PlanLabel(RECT{0, 0, 240, 20}, SIZE{101, 13});
    EXPECT_EQ(draws[9].x, 70);  // 240 / 2 - 101 / 2
    EXPECT_EQ(draws[9].y, 3);   // (20 - 13) / 2
    EXPECT_EQ(draws[9].colour, 0xFFFFFFu);
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx, ++n) {
            EXPECT_EQ(draws[n].x, 70 + dx);
            EXPECT_EQ(draws[n].y, 3 + dy);
            EXPECT_EQ(draws[n].colour, 0x660000u);
        }
    }
    // Only the width counts, wherever the rectangle lies.
    EXPECT_EQ(PlanLabel(RECT{10, 5, 250, 25}, SIZE{101, 13})[9].x, 70);
    // Wider than the bar: negative, clipped by the client area.
    EXPECT_EQ(PlanLabel(RECT{0, 0, 100, 20}, SIZE{151, 13})[9].x, -25);
    // Odd sizes truncate each division on its own, toward zero also below zero.
    EXPECT_EQ(PlanLabel(RECT{0, 0, 101, 20}, SIZE{7, 13})[9].x, 47);
    EXPECT_EQ(PlanLabel(RECT{0, 0, 101, 10}, SIZE{7, 13})[9].y, -1);
}

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kOutline = 0x000066;  // 0x660000 as a colour value is blue 0x66

// The pixels a label adds to the plain bar: its ink.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int pixels = 0, white = 0, outline = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};
Ink InkOf(const Pixels& labelled, const Pixels& plain) {
    Ink ink;
    for (int y = 0; y < labelled.height; ++y) {
        for (int x = 0; x < labelled.width; ++x) {
            std::uint32_t p = labelled.At(x, y);
            if (p == plain.At(x, y)) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            ++ink.pixels;
            if (p == kWhite) ++ink.white;
            if (p == kOutline) ++ink.outline;
        }
    }
    return ink;
}

TEST(LabeledProgress, PaintsACentredWhiteLabelWithADarkBlueOutline) {
    ProbeDialog dialog(IDD_MAIN);
    LabeledProgressCtrl bar;
    dialog.exchange = [&](ui::DataExchange& dx) { dx.Control(IDC_FREE_SPACE, bar); };
    Driver driver({[&]() -> bool {
        HWND h = bar.Handle();
        bar.SetRange32(0, 950);
        bar.SetPos(700);
        Pixels plain = CaptureClient(h);

        bar.Label = "700Mbyte/950Mbyte";
        InvalidateRect(h, nullptr, TRUE);
        Pixels labelled = CaptureClient(h);
        EXPECT_TRUE(SaveScreenshot(labelled, "labeled_progress"));
        Ink ink = InkOf(labelled, plain);
        EXPECT_GT(ink.white, 30);
        EXPECT_GT(ink.outline, 30);
        // The outline encloses the text: no white pixel of the text (over the filled part)
        // touches the bar's own pixels. The font may smooth its edges, so the outline's
        // rim is not all of one colour.
        int exposed = 0;
        for (int y = 0; y < labelled.height; ++y) {
            for (int x = 0; x < labelled.width; ++x) {
                if (labelled.At(x, y) != kWhite || plain.At(x, y) == kWhite) continue;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= labelled.width || ny >= labelled.height) continue;
                        if (labelled.At(nx, ny) == plain.At(nx, ny) && plain.At(nx, ny) != kWhite) ++exposed;
                    }
                }
            }
        }
        EXPECT_EQ(exposed, 0);
        EXPECT_NEAR((ink.left + ink.right) / 2.0, (labelled.width - 1) / 2.0, 3.0);
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (labelled.height - 1) / 2.0, 3.0);

        // A new label alone does not show until the bar repaints.
        bar.Label = "0Mbyte/0Mbyte";
        Pump(100);
        EXPECT_EQ(CaptureClient(h), labelled);
        InvalidateRect(h, nullptr, TRUE);
        Ink shorter = InkOf(CaptureClient(h), plain);
        EXPECT_LT(shorter.Width(), ink.Width());

        // The label follows the control's font.
        HFONT big = CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        HFONT dialogFont = bar.Font();
        bar.SetFont(big);
        EXPECT_EQ(bar.Font(), big);
        InvalidateRect(h, nullptr, TRUE);
        EXPECT_GT(InkOf(CaptureClient(h), plain).Height(), shorter.Height());
        bar.SetFont(dialogFont);
        DeleteObject(big);

        // An empty label draws nothing: the same pixels as the bar without the wrapper.
        bar.Label.clear();
        InvalidateRect(h, nullptr, TRUE);
        EXPECT_EQ(CaptureClient(h), plain);
        bar.Detach();
        InvalidateRect(h, nullptr, TRUE);
        EXPECT_EQ(CaptureClient(h), plain);
        dialog.EndDialog(IDOK);
        return true;
    }});
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
}  // namespace verrow::test
