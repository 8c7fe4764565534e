#include "platform/ui/controls.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ui/app.h"
#include "platform/win32_text.h"

namespace verrow::ui {

// --- ImageSet

bool ImageSet::LoadStrip(int bitmapId, int width, int grow, COLORREF mask) {
    // A true-colour list, so a bitmap's own palette survives whatever its colour depth
    // (a list made to the bitmap's depth may map its colours to the system's palette).
    ScopedGdi<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap || width <= 0 || !GetObjectW(bitmap.get(), sizeof info, &info)) return false;
    Scoped<HIMAGELIST, DestroyImageList> list(
        ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, info.bmWidth / width, grow));
    if (!list || ImageList_AddMasked(list.get(), bitmap.get(), mask) < 0) return false;
    list_ = std::move(list);
    return true;
}

// --- ListView

int ListView::InsertColumn(int index, const std::string& header, int format, int width) const {
    std::wstring text = ToSystemText(header);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = format;
    column.pszText = text.data();
    if (width >= 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int ListView::InsertItem(int index, const std::string& text, int image) const {
    std::wstring wide = ToSystemText(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = wide.data();
    item.iImage = image;
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int ListView::InsertItem(int index, const std::string& text, int image, LPARAM data) const {
    std::wstring wide = ToSystemText(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = wide.data();
    item.iImage = image;
    item.lParam = data;
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::SetItemText(int item, int subItem, const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    LVITEMW data{};
    data.iSubItem = subItem;
    data.pszText = wide.data();
    return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&data)) != 0;
}

std::string ListView::ItemText(int item, int subItem) const {
    // The control tells how much it copied, not how long the text is: grow until it fits.
    for (std::size_t size = 256;; size *= 2) {
        std::wstring buffer(size, L'\0');
        LVITEMW data{};
        data.iSubItem = subItem;
        data.pszText = buffer.data();
        data.cchTextMax = static_cast<int>(size);
        auto length = static_cast<std::size_t>(
            Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&data)));
        if (length + 1 < size || size >= (1u << 20)) {
            buffer.resize(std::min(length, size));
            return FromSystemText(buffer);
        }
    }
}

bool ListView::SetItemData(int item, LPARAM value) const {
    LVITEMW data{};
    data.mask = LVIF_PARAM;
    data.iItem = item;
    data.lParam = value;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

LPARAM ListView::ItemData(int item) const {
    LVITEMW data{};
    data.mask = LVIF_PARAM;
    data.iItem = item;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) ? data.lParam : 0;
}

bool ListView::SetItemImage(int item, int image) const {
    LVITEMW data{};
    data.mask = LVIF_IMAGE;
    data.iItem = item;
    data.iImage = image;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

int ListView::ItemImage(int item) const {
    LVITEMW data{};
    data.mask = LVIF_IMAGE;
    data.iItem = item;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) ? data.iImage : -1;
}

void ListView::SetImageList(const ImageSet& images, int which) const {
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    Send(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(images.Handle()));
}

// --- ToolTipWindow

ToolTipWindow::~ToolTipWindow() {
    if (HWND window = Detach()) DestroyWindow(window);
}

bool ToolTipWindow::Create(HWND owner, DWORD style) {
    if (IsAttached()) return false;
    HWND window = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                  ResourceInstance(), nullptr);
    return window && Attach(window);
}

namespace {
TTTOOLINFOW ToolInfo(HWND tool) {
    // The size without the last reserved field: accepted by every version of the control.
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}
}  // namespace

bool ToolTipWindow::AddTool(HWND tool, const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    TTTOOLINFOW info = ToolInfo(tool);
    info.lpszText = wide.data();
    return Send(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

std::string ToolTipWindow::ToolText(HWND tool) const {
    // TTM_GETTEXT has no buffer size; the control's texts are limited to 80 characters
    // unless given by callback, and ours never are: a generous buffer suffices.
    std::wstring buffer(1024, L'\0');
    TTTOOLINFOW info = ToolInfo(tool);
    info.lpszText = buffer.data();
    Send(TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return FromSystemText(buffer);
}

// --- ListBox

int ListBox::AddString(const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string ListBox::Text(int index) const {
    LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) return std::string();
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT got = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return FromSystemText(buffer);
}

int ListBox::FindStringExact(int start, const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    LRESULT index = Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(wide.c_str()));
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::vector<int> ListBox::SelItems() const {
    int count = SelCount();
    if (count <= 0) return {};
    std::vector<int> items(static_cast<std::size_t>(count));
    LRESULT got = Send(LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(items.data()));
    items.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return items;
}

// --- Font

bool Font::Describe(HFONT font, LOGFONTW& description) {
    std::memset(&description, 0, sizeof description);
    return font && GetObjectW(font, sizeof description, &description) != 0;
}

void Font::SetFaceName(LOGFONTW& description, const std::string& face) {
    std::wstring wide = ToSystemText(face);
    std::size_t length = std::min(wide.size(), static_cast<std::size_t>(LF_FACESIZE - 1));
    std::fill(std::begin(description.lfFaceName), std::end(description.lfFaceName), L'\0');
    std::copy_n(wide.begin(), length, description.lfFaceName);
}

bool Font::CreateIndirect(const LOGFONTW& description) {
    font_.reset(CreateFontIndirectW(&description));
    return static_cast<bool>(font_);
}

// --- DCs

SIZE ClientDC::TextExtent(const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    SIZE size{};
    GetTextExtentPoint32W(Handle(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

void ClientDC::TextAt(int x, int y, const std::string& text) const {
    std::wstring wide = ToSystemText(text);
    TextOutW(Handle(), x, y, wide.c_str(), static_cast<int>(wide.size()));
}

PaintDC::PaintDC(HWND window) {
    EndWindowPaint end{window};
    HDC dc = BeginPaint(window, &end.paint);
    dc_ = Scoped<HDC, EndWindowPaint>(dc, end);
}

}  // namespace verrow::ui
