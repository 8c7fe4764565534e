// The about box: opened with no parent from a window's system command, it is owned by
// that window, shows the program icon, and closes with Enter, Esc or the close box.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialogs/about_dialog.h"
#include "tests/ui/probe_dialog.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

HWND FindAbout() {
    for (HWND window : ThreadDialogs()) {
        auto* dialog = ui::Dialog::FromHandle(window);
        if (dialog && dialog->TemplateId() == AboutDialog::kTemplate) return window;
    }
    return nullptr;
}

TEST(AboutDialog, ClosesWithEnterEscAndTheCloseBox) {
    struct Way {
        const char* name;
        std::function<void(HWND)> close;
        int result;
    };
    const Way ways[] = {
        {"Enter", [](HWND) { PostKey(FocusWindow(), VK_RETURN); }, IDOK},
        {"Esc", [](HWND) { PostKey(FocusWindow(), VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND about) { PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        AboutDialog about;
        Driver driver({[&] {
            HWND window = FindAbout();
            if (!window) return false;
            EXPECT_EQ(FocusWindow(), GetDlgItem(window, IDOK));
            way.close(window);
            return true;
        }});
        EXPECT_EQ(about.DoModal(), way.result);
    }
}

TEST(AboutDialog, OpensOwnedByTheWindowWhoseSystemCommandAsksForIt) {
    ProbeDialog main(102);
    main.consumeSysCommand = true;
    std::vector<int> results;
    HWND about = nullptr;
    Driver driver({
        [&] {
            // What the main window does with system command 0x10 (any of 0x10-0x1F).
            AboutDialog box;
            results.push_back(box.DoModal());
            return true;
        },
        [&] {
            about = FindAbout();
            if (!about) return false;
            EXPECT_EQ(GetWindow(about, GW_OWNER), main.Handle());
            EXPECT_FALSE(IsWindowEnabled(main.Handle()));
            HWND icon = GetWindow(about, GW_CHILD);
            EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
            EXPECT_TRUE(SaveScreenshot(CaptureWindow(about), "about_box"));
            PostKey(FocusWindow(), VK_RETURN);
            return true;
        },
        [&] {
            if (results.empty()) return false;
            EXPECT_EQ(results.front(), IDOK);
            EXPECT_FALSE(IsWindow(about));
            EXPECT_TRUE(IsWindowEnabled(main.Handle()));
            main.EndDialog(IDOK);
            return true;
        },
    });
    EXPECT_EQ(main.DoModal(), IDOK);
}

}  // namespace
}  // namespace verrow::test
