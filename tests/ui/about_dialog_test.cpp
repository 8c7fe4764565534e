// The about box: opened with no parent from a window's system command, it is owned by
// that window, shows the program icon, and closes with Enter, Esc or the close box.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialogs/about_dialog.h"
#include "platform/win32_text.h"
#include "resources/resource.h"
#include "tests/ui/probe_dialog.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

HWND FindAbout() {
    for (HWND window : ThreadDialogs()) {
        auto* dialog = ui::Dialog::FromHandle(window);
        if (dialog && dialog->TemplateId() == IDD_ABOUT) return window;
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
    ProbeDialog main(IDD_MAIN);
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

TEST(AboutDialog, SystemMenuItemAndTheCommandsThatOpenIt) {
    ProbeDialog main(IDD_MAIN);
    Driver driver({[&] {
        HWND h = main.Handle();
        EXPECT_TRUE(AboutDialog::AddToSystemMenu(h));
        HMENU menu = GetSystemMenu(h, FALSE);
        int last = GetMenuItemCount(menu) - 1;
        EXPECT_EQ(GetMenuItemID(menu, last), 0x10u);
        EXPECT_EQ(GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
        wchar_t text[64] = {};
        GetMenuStringW(menu, last, text, 64, MF_BYPOSITION);
        EXPECT_EQ(FromSystemText(text), "Verrow のﾊﾞｰｼﾞｮﾝ情報(&A)...");
        main.EndDialog(IDOK);
        return true;
    }});
    main.DoModal();
    for (UINT command = 0; command < 0x40; ++command) {
        EXPECT_EQ(AboutDialog::IsOpenCommand(command), command >= 16 && command <= 31) << command;
    }
    EXPECT_FALSE(AboutDialog::IsOpenCommand(SC_MOVE | 0x10));
}

}  // namespace
}  // namespace verrow::test
