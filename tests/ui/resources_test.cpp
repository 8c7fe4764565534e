// The executable's other resources, read back as the program will load them: pictures in
// their sizes and colour depths, string IDS_ABOUT_MENU, the version record, and the manifest's
// common controls 6.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "platform/ui/controls.h"
#include "platform/win32_text.h"
#include "resources/resource.h"

namespace verrow::test {
namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

TEST(Resources, PicturesHaveTheirSizesAndColourDepths) {
    struct Picture {
        int id, width, height, bits;
    };
    for (Picture p : {Picture{IDB_LIST_FIGURES, 32, 16, 4}, {IDB_TITLE, 128, 32, 8}, {IDB_BUTTON_DRIVE, 16, 16, 8},
                      {IDB_BUTTON_ADD, 16, 16, 8}, {IDB_BUTTON_DEL, 16, 16, 8}, {IDB_BUTTON_EDIT, 16, 16, 8},
                      {IDB_BUTTON_RUN, 16, 16, 8}, {IDB_BUTTON_CONF, 16, 16, 8}, {IDB_BUTTON_FOLDER_ADD, 16, 16, 8}}) {
        SCOPED_TRACE("bitmap " + std::to_string(p.id));
        HRSRC found = FindResourceW(Self(), MAKEINTRESOURCEW(p.id), MAKEINTRESOURCEW(2));  // RT_BITMAP
        ASSERT_NE(found, nullptr);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), found)));
        EXPECT_EQ(header->biWidth, p.width);
        EXPECT_EQ(header->biHeight, p.height);
        EXPECT_EQ(header->biBitCount, p.bits);
    }
    // Icon IDI_VERROW: one 16 x 16 and one 32 x 32 image, 256 colours each.
    HRSRC group = FindResourceW(Self(), MAKEINTRESOURCEW(IDI_VERROW), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Self(), group)));
    int count = dir[4] | dir[5] << 8;
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, ...
        images.emplace_back(entry[0], entry[6] | entry[7] << 8);
    }
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{16, 8}, {32, 8}}));
}

// Pixels of a drawing made by `paint` on a magenta 32 x 16 DC.
std::vector<COLORREF> Render(const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 32, 16);
    HGDIOBJ old = SelectObject(dc, target);
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, 32, 16};
    FillRect(dc, &all, magenta);
    paint(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    DeleteObject(magenta);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(Resources, ListImagesKeepTheirColoursWithWhiteTransparent) {
    ui::ImageSet images;
    ASSERT_TRUE(images.LoadStrip(IDB_LIST_FIGURES, 16, 16, RGB(255, 255, 255)));
    ASSERT_EQ(images.Count(), 2);
    auto drawn = Render([&](HDC dc) {
        ImageList_Draw(images.Handle(), 0, dc, 0, 0, ILD_TRANSPARENT);
        ImageList_Draw(images.Handle(), 1, dc, 16, 0, ILD_TRANSPARENT);
    });
    HBITMAP bitmap = LoadBitmapW(Self(), MAKEINTRESOURCEW(IDB_LIST_FIGURES));
    auto source = Render([&](HDC dc) {
        HDC from = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(from, bitmap);
        BitBlt(dc, 0, 0, 32, 16, from, 0, 0, SRCCOPY);
        SelectObject(from, old);
        DeleteDC(from);
    });
    DeleteObject(bitmap);
    int figure = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        bool white = source[i] == RGB(255, 255, 255);
        figure += white ? 0 : 1;
        EXPECT_EQ(drawn[i], white ? RGB(255, 0, 255) : source[i]) << "pixel " << i % 32 << "," << i / 32;
    }
    EXPECT_GT(figure, 60);
}

TEST(Resources, StringVersionAndManifest) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(Self(), IDS_ABOUT_MENU, reinterpret_cast<LPWSTR>(&text), 0);
    EXPECT_EQ(FromSystemText(std::wstring_view(text, static_cast<std::size_t>(length))),
              "Verrow のﾊﾞｰｼﾞｮﾝ情報(&A)...");

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::vector<BYTE> version(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    // The project's version, in numbers and as text.
    const unsigned v[4] = {VERROW_PROJECT_VERSION};
    const DWORD high = (v[0] << 16) | v[1], low = (v[2] << 16) | v[3];
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\041103a4\\ProductVersion",
                               reinterpret_cast<void**>(&product), &size));
    std::wstring expected;
    for (unsigned part : v) expected += (expected.empty() ? L"" : L".") + std::to_wstring(part);
    EXPECT_EQ(std::wstring(product), expected);

    // The manifest brings version 6 of the common controls: the controls this program
    // creates come from it.
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(list, nullptr);
    // (Its version message is no help: wine's answers 5 in both versions.)
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetClassLongPtrW(list, GCLP_WNDPROC)), &module);
    wchar_t file[MAX_PATH] = {};
    GetModuleFileNameW(module, file, MAX_PATH);
    std::string where = FromSystemText(file);
    for (char& c : where) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#ifdef _WIN64
    const std::string side = "amd64_microsoft.windows.common-controls_6595b64144ccf1df_6.0.";
#else
    const std::string side = "x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0.";
#endif
    EXPECT_NE(where.find(side), std::string::npos) << where;
    DestroyWindow(list);
}

}  // namespace
}  // namespace verrow::test
