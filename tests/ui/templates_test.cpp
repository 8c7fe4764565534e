// The dialog templates as the system builds them from the executable's resources: every
// control's id, class, text, style bits and position in creation (tab) order. Reading the
// texts back is also the check that the code page 932 strings survived windres.
// Each template is saved as a screenshot.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cctype>

#include "app/labeled_progress.h"
#include "platform/ui/app.h"
#include "platform/ui/controls.h"
#include "platform/win32_text.h"
#include "resources/resource.h"
#include "tests/ui/probe_dialog.h"
#include "tests/ui/ui_support.h"

namespace verrow::test {
namespace {

enum Extent { kFull, kOrigin, kNoHeight };  // pictures size themselves; combos show no list

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;  // null: not compared (pictures)
    DWORD mask;        // (style & mask) == value
    DWORD value;
    int x, y, w, h;    // dialog units
    bool border;       // WS_BORDER, or the client edge the dialog manager may swap it for
    Extent extent;
};

struct ExpectedDialog {
    int id;
    const char* caption;
    int w, h;
    DWORD mask, value;
    DWORD exMask, exValue;
    std::vector<ExpectedControl> controls;
};

constexpr DWORD kFrameBits = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
constexpr DWORD kButtonType = 0x0F;
constexpr DWORD kPictureButton = kButtonType | BS_BITMAP | BS_FLAT | WS_TABSTOP;
constexpr DWORD kPictureButtonValue = BS_PUSHBUTTON | BS_BITMAP | BS_FLAT | WS_TABSTOP;
constexpr int kStatic = 0xFFFF;

const ExpectedDialog kAbout{
    IDD_ABOUT, "Verrowのﾊﾞｰｼﾞｮﾝ情報", 235, 55,
    kFrameBits, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME,
    {
        {kStatic, "Static", nullptr, SS_TYPEMASK, SS_ICON, 11, 17, 20, 20, false, kOrigin},
        {kStatic, "Static", "Verrow Version 1.0", SS_TYPEMASK | SS_NOPREFIX | WS_GROUP,
         SS_LEFT | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8, false, kFull},
        {kStatic, "Static", "Copyright (C) 2006", SS_TYPEMASK | WS_GROUP, SS_LEFT | WS_GROUP, 40, 25, 119, 8, false, kFull},
        {IDOK, "Button", "OK", kButtonType | WS_GROUP | WS_TABSTOP, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP,
         178, 7, 50, 14, false, kFull},
    }};

const ExpectedDialog kMain{
    IDD_MAIN, "Verrow", 211, 159,
    kFrameBits | WS_VISIBLE, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE,
    WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME, WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME,
    {
        {IDC_LIST, "SysListView32", "",
         LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
         LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP, 7, 32, 197, 86, true, kFull},
        {kStatic, "Static", "空き容量", SS_TYPEMASK | SS_CENTERIMAGE, SS_LEFT | SS_CENTERIMAGE, 7, 122, 32, 14, false, kFull},
        {IDC_SELECTED_PATH, "Edit", "", ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE | WS_TABSTOP, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP,
         7, 138, 197, 14, true, kFull},
        {IDC_TITLE, "Static", nullptr, SS_TYPEMASK, SS_BITMAP, 7, 7, 73, 21, false, kOrigin},
        {IDC_CONF, "Button", "&CONF", kPictureButton, kPictureButtonValue, 123, 16, 10, 12, false, kFull},
        {IDC_DRIVE, "Button", "Dri&ve", kPictureButton, kPictureButtonValue, 141, 16, 10, 12, false, kFull},
        {IDC_ADD, "Button", "&ADD", kPictureButton, kPictureButtonValue, 154, 16, 10, 12, false, kFull},
        {IDC_DEL, "Button", "&DEL", kPictureButton, kPictureButtonValue, 167, 16, 10, 12, false, kFull},
        {IDC_EDIT, "Button", "&EDIT", kPictureButton, kPictureButtonValue, 180, 16, 10, 12, false, kFull},
        {IDC_RUN, "Button", "&RUN", kPictureButton, kPictureButtonValue, 193, 16, 11, 12, false, kFull},
        {IDC_FREE_SPACE, "msctls_progress32", "Progress1", PBS_SMOOTH, PBS_SMOOTH, 44, 122, 160, 14, false, kFull},
    }};

constexpr DWORD kPush = kButtonType | WS_TABSTOP;
// List and combo boxes clear WS_VSCROLL while their scroll bar is hidden (too few rows),
// so that bit is not compared for them.
constexpr DWORD kCheck = kButtonType | WS_TABSTOP;

const ExpectedDialog kEditor{
    IDD_ENTRY_EDIT, "新規追加/編集ダイアログ", 339, 249,
    kFrameBits, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME,
    {
        {kStatic, "Static", "名前", SS_TYPEMASK, SS_LEFT, 7, 7, 15, 8, false, kFull},
        {IDC_NAME, "Edit", "", ES_AUTOHSCROLL | ES_MULTILINE | WS_TABSTOP, ES_AUTOHSCROLL | WS_TABSTOP, 7, 19, 295, 14, true, kFull},
        {kStatic, "Static", "パス", SS_TYPEMASK, SS_LEFT, 7, 39, 14, 8, false, kFull},
        {IDC_PATH, "Edit", "", ES_AUTOHSCROLL | ES_MULTILINE | WS_TABSTOP, ES_AUTOHSCROLL | WS_TABSTOP, 7, 51, 295, 14, true, kFull},
        {IDC_PICK_FILE, "Button", "...", kPictureButton, kPictureButtonValue, 304, 51, 11, 12, false, kFull},
        {IDC_PICK_FOLDER, "Button", "F", kPictureButton, kPictureButtonValue, 317, 51, 11, 12, false, kFull},
        {kStatic, "Button", "", kButtonType | WS_TABSTOP, BS_GROUPBOX, 7, 71, 325, 153, false, kFull},
        {IDC_USE_CUSTOM_ENV, "Button", "カスタマイズした環境変数を利用する。", kCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 71, 127, 10, false, kFull},
        {IDC_ENV_LIST, "ListBox", "",
         LBS_SORT | LBS_EXTENDEDSEL | LBS_MULTIPLESEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
         LBS_SORT | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, 10, 83, 101, 120, true, kFull},
        {IDC_ENV_NAME, "Edit", "", ES_AUTOHSCROLL | ES_MULTILINE | WS_TABSTOP, ES_AUTOHSCROLL | WS_TABSTOP, 114, 83, 188, 14, true, kFull},
        {IDC_ENV_VALUE, "Edit", "",
         ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP,
         ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP,
         114, 99, 188, 104, true, kFull},
        {IDC_ENV_APPLY, "Button", "適用", kPush, BS_PUSHBUTTON | WS_TABSTOP, 304, 83, 22, 14, false, kFull},
        {IDC_ENV_ADD, "Button", "追加", kPush, BS_PUSHBUTTON | WS_TABSTOP, 304, 99, 22, 14, false, kFull},
        {IDC_ENV_DELETE, "Button", "削除", kPush, BS_PUSHBUTTON | WS_TABSTOP, 304, 116, 22, 14, false, kFull},
        {IDC_START_UP, "Button", "スタートアップ起動", kCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 232, 70, 10, false, kFull},
        {IDOK, "Button", "OK", kPush, BS_DEFPUSHBUTTON | WS_TABSTOP, 230, 228, 50, 14, false, kFull},
        {IDCANCEL, "Button", "ｷｬﾝｾﾙ", kPush, BS_PUSHBUTTON | WS_TABSTOP, 282, 228, 50, 14, false, kFull},
        {IDC_OVERWRITE_ENV, "Button", "プロセスの環境変数に上書きする。(重複する情報が書き換わります。)", kCheck,
         BS_AUTOCHECKBOX | WS_TABSTOP, 10, 209, 218, 10, false, kFull},
        {IDC_HINT, "Button", "ヒント", kPush, BS_PUSHBUTTON | WS_TABSTOP, 304, 189, 22, 14, false, kFull},
    }};

const ExpectedDialog kSettings{
    IDD_SETTINGS, "設定", 117, 73,
    kFrameBits, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME,
    {
        {IDOK, "Button", "OK", kPush, BS_DEFPUSHBUTTON | WS_TABSTOP, 7, 52, 50, 14, false, kFull},
        {IDCANCEL, "Button", "ｷｬﾝｾﾙ", kPush, BS_PUSHBUTTON | WS_TABSTOP, 60, 52, 50, 14, false, kFull},
        {IDC_START_OPEN, "Button", "起動時にUSBドライブを開く", kCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 7, 95, 10, false, kFull},
        {IDC_LIST_STYLE, "ComboBox", nullptr, 0x3 | CBS_SORT | WS_TABSTOP, CBS_DROPDOWNLIST | WS_TABSTOP,
         39, 23, 71, 43, false, kNoHeight},
        {kStatic, "Static", "表示形式", SS_TYPEMASK | SS_CENTERIMAGE, SS_LEFT | SS_CENTERIMAGE, 7, 23, 28, 13, false, kFull},
    }};

const ExpectedDialog kHint{
    IDD_HINT, "ヒント", 299, 171,
    kFrameBits, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, WS_EX_DLGMODALFRAME,
    {
        {IDOK, "Button", "閉じる(&C)", kPush, BS_DEFPUSHBUTTON | WS_TABSTOP, 242, 150, 50, 14, false, kFull},
        {IDC_HINT_TEXT, "Edit", nullptr,
         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, 7, 7, 285, 139, true, kFull},
    }};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// As the system places a control: origin and extent are converted separately.
RECT DialogRect(HWND dialog, int x, int y, int w, int h) {
    RECT origin{x, y, w, h};
    MapDialogRect(dialog, &origin);
    return RECT{origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
}

void CheckDialog(HWND dialog, const ExpectedDialog& layout) {
    SCOPED_TRACE("template " + std::to_string(layout.id));
    EXPECT_EQ(TextOf(dialog), layout.caption);
    auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    EXPECT_EQ(style & layout.mask, layout.value) << std::hex << style;
    EXPECT_EQ(exStyle & layout.exMask, layout.exValue) << std::hex << exStyle;
    RECT client{};
    GetClientRect(dialog, &client);
    RECT size = DialogRect(dialog, 0, 0, layout.w, layout.h);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // The dialog font: "ＭＳ Ｐゴシック", 9 points.
    LOGFONTW font{};
    ASSERT_TRUE(ui::Font::Describe(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), font));
    EXPECT_EQ(FromSystemText(font.lfFaceName), "ＭＳ Ｐゴシック");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    std::size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, layout.controls.size()) << "an extra control: " << ClassOf(child);
        const ExpectedControl& want = layout.controls[index];
        SCOPED_TRACE("control " + std::to_string(index) + " id " + std::to_string(want.id));
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, want.id);
        EXPECT_EQ(Upper(ClassOf(child)), Upper(want.className));
        if (want.text) {
            // The text the template gave the window. Read without WM_GETTEXT: the labeled
            // bar answers that with its label.
            wchar_t stored[256] = {};
            InternalGetWindowText(child, stored, 256);
            EXPECT_EQ(FromSystemText(stored), want.text);
        }
        auto childStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        auto childEx = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
        EXPECT_EQ(childStyle & want.mask, want.value) << std::hex << childStyle;
        EXPECT_TRUE(childStyle & WS_VISIBLE);
        if (want.border) {
            EXPECT_TRUE((childStyle & WS_BORDER) || (childEx & WS_EX_CLIENTEDGE));
        }
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        RECT expected = DialogRect(dialog, want.x, want.y, want.w, want.h);
        EXPECT_EQ(r.left, expected.left);
        EXPECT_EQ(r.top, expected.top);
        if (want.extent != kOrigin) {
            EXPECT_EQ(r.right, expected.right);
        }
        if (want.extent == kFull) {
            EXPECT_EQ(r.bottom, expected.bottom);
        }
    }
    EXPECT_EQ(index, layout.controls.size());
}

// Runs the template as a modal dialog, checks it, saves a screenshot, closes it.
void RunTemplate(const ExpectedDialog& layout, const std::function<void(ProbeDialog&)>& prepare = nullptr) {
    ProbeDialog dialog(layout.id);
    if (prepare) prepare(dialog);
    Driver driver({[&] {
        CheckDialog(dialog.Handle(), layout);
        EXPECT_TRUE(SaveScreenshot(CaptureWindow(dialog.Handle()), "template_" + std::to_string(layout.id)));
        dialog.EndDialog(IDOK);
        return true;
    }});
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(Templates, AboutBox) { RunTemplate(kAbout); }

TEST(Templates, MainWindowWithItsPictures) {
    // Dressed the way the main window dresses itself, so the screenshot shows the pictures.
    ui::ListView list;
    ui::ImageSet images;
    ui::Button buttons[6];
    LabeledProgressCtrl bar;
    const int ids[6] = {IDC_ADD, IDC_DEL, IDC_DRIVE, IDC_EDIT, IDC_RUN, IDC_CONF};
    const int pictures[6] = {IDB_BUTTON_ADD, IDB_BUTTON_DEL, IDB_BUTTON_DRIVE, IDB_BUTTON_EDIT, IDB_BUTTON_RUN, IDB_BUTTON_CONF};
    RunTemplate(kMain, [&](ProbeDialog& dialog) {
        dialog.exchange = [&](ui::DataExchange& dx) {
            dx.Control(IDC_FREE_SPACE, bar);
            for (int i = 0; i < 6; ++i) dx.Control(ids[i], buttons[i]);
            dx.Control(IDC_LIST, list);
        };
        dialog.onInit = [&] {
            for (int i = 0; i < 6; ++i) {
                buttons[i].SetBitmap(LoadBitmapW(ui::ResourceInstance(), MAKEINTRESOURCEW(pictures[i])));
                EXPECT_NE(buttons[i].Bitmap(), nullptr) << "bitmap " << pictures[i];
            }
            ASSERT_TRUE(images.LoadStrip(IDB_LIST_FIGURES, 16, 16, RGB(255, 255, 255)));
            EXPECT_EQ(images.Count(), 2);
            list.SetImageList(images, LVSIL_NORMAL);
            list.SetImageList(images, LVSIL_SMALL);
            list.InsertItem(0, "エディタ", 0);
            list.InsertItem(1, "常駐ツール", 1);
            bar.Label = "   700Mbyte/   950Mbyte";
            bar.SetRange32(0, 950);
            bar.SetPos(700);
        };
    });
    // The list view shared the image list: it is still whole after the view has gone.
    EXPECT_EQ(images.Count(), 2);
}

TEST(Templates, EntryEditor) {
    ui::Button file, folder;
    RunTemplate(kEditor, [&](ProbeDialog& dialog) {
        dialog.exchange = [&](ui::DataExchange& dx) {
            dx.Control(IDC_PICK_FILE, file);
            dx.Control(IDC_PICK_FOLDER, folder);
        };
        dialog.onInit = [&] {
            file.SetBitmap(LoadBitmapW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDB_BUTTON_ADD)));
            folder.SetBitmap(LoadBitmapW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDB_BUTTON_FOLDER_ADD)));
        };
    });
}

TEST(Templates, Settings) { RunTemplate(kSettings); }

TEST(Templates, Hint) {
    RunTemplate(kHint, [](ProbeDialog& dialog) {
        dialog.onInit = [&dialog] {
            SetDlgItemTextW(dialog.Handle(), IDC_HINT_TEXT, ToSystemText("■固有な環境変数\r\n_VERROW_DRV_ は Verrow 独自の環境変数です。").c_str());
        };
    });
}

}  // namespace
}  // namespace verrow::test
