// Thin wrappers of the controls and drawing objects the program uses, one small class
// each. Control wrappers refer to a dialog's existing control (bind them with
// DataExchange::Control); ImageSet, ToolTipWindow, Font and the DCs own what they hold and
// release it when they go (platform/scoped.h). Texts are code page 932 byte strings (see window.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/scoped.h"
#include "platform/ui/window.h"

namespace verrow::ui {

// An image list; destroyed with the object.
class ImageSet {
public:
    // Cuts bitmap resource `bitmapId` into images `width` pixels wide; pixels of colour
    // `mask` are transparent; the list grows by `grow` images at a time.
    bool LoadStrip(int bitmapId, int width, int grow, COLORREF mask);
    HIMAGELIST Handle() const { return list_.get(); }
    int Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

private:
    Scoped<HIMAGELIST, DestroyImageList> list_;
};

class ListView : public Window {
public:
    int InsertColumn(int index, const std::string& header, int format = LVCFMT_LEFT, int width = -1) const;
    // Inserts an item with its text and image (and data) at `index`; its index, or -1.
    int InsertItem(int index, const std::string& text, int image) const;
    int InsertItem(int index, const std::string& text, int image, LPARAM data) const;
    bool SetItemText(int item, int subItem, const std::string& text) const;
    std::string ItemText(int item, int subItem) const;
    bool SetItemData(int item, LPARAM data) const;
    LPARAM ItemData(int item) const;
    bool SetItemImage(int item, int image) const;
    int ItemImage(int item) const;
    bool DeleteItem(int item) const { return Send(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }
    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    // The next item after `start` (-1: from the first) with all of `flags`, or -1.
    int NextItem(int start, UINT flags = LVNI_SELECTED) const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    bool EnsureVisible(int item) const { return Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE) != 0; }
    // The rectangle of `part` (LVIR_BOUNDS, LVIR_LABEL, ...) of an item, in client coordinates.
    bool ItemRect(int item, int part, RECT& rect) const {
        rect = RECT{};
        rect.left = part;
        return Send(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    bool SetColumnWidth(int column, int width) const {
        return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
    }
    int ColumnWidth(int column) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column))); }
    // Attaches `images` as the LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE list. The list view
    // is told to share its image lists (LVS_SHAREIMAGELISTS): the ImageSet object stays
    // their only owner, however many slots it fills.
    void SetImageList(const ImageSet& images, int which) const;
    // Sets the extended styles selected by `mask` (0: all of them) to `styles`.
    void SetExtendedStyle(DWORD mask, DWORD styles) const {
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, styles);
    }
    DWORD ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
};

// A tooltip window owned by a dialog; destroyed with the object (or with its owner).
class ToolTipWindow : public Window {
public:
    ~ToolTipWindow() override;
    bool Create(HWND owner, DWORD style = 0);
    // A tip for control `tool` of the owner, identified by its window.
    bool AddTool(HWND tool, const std::string& text) const;
    void RelayEvent(const MSG& message) const {
        MSG copy = message;
        Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&copy));
    }
    int ToolCount() const { return static_cast<int>(Send(TTM_GETTOOLCOUNT)); }
    std::string ToolText(HWND tool) const;

protected:
    // Watching its own messages, it learns when its owner takes it down, and never
    // destroys a window that has since got its handle.
    bool WantsMessages() const override { return true; }
};

class ProgressBar : public Window {
public:
    void SetRange32(int low, int high) const { Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void SetPos(int position) const { Send(PBM_SETPOS, static_cast<WPARAM>(position)); }
    int Pos() const { return static_cast<int>(Send(PBM_GETPOS)); }
    int RangeLow() const { return static_cast<int>(Send(PBM_GETRANGE, TRUE)); }
    int RangeHigh() const { return static_cast<int>(Send(PBM_GETRANGE, FALSE)); }
};

class Button : public Window {
public:
    // Shows `bitmap` (not owned: loaded resources live as long as the program).
    HBITMAP SetBitmap(HBITMAP bitmap) const {
        return reinterpret_cast<HBITMAP>(Send(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP Bitmap() const { return reinterpret_cast<HBITMAP>(Send(BM_GETIMAGE, IMAGE_BITMAP)); }
    int Check() const { return static_cast<int>(Send(BM_GETCHECK)); }
    void SetCheck(int state) const { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class ListBox : public Window {
public:
    int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    // Adds a row (in its sorted place in a sorted list); its index, or a negative value.
    int AddString(const std::string& text) const;
    int DeleteString(int index) const { return static_cast<int>(Send(LB_DELETESTRING, static_cast<WPARAM>(index))); }
    std::string Text(int index) const;
    // The row whose whole text equals `text`, letter case ignored, searching after `start`
    // (-1: all rows); -1 when none.
    int FindStringExact(int start, const std::string& text) const;
    int SelCount() const { return static_cast<int>(Send(LB_GETSELCOUNT)); }
    std::vector<int> SelItems() const;
    bool SetSel(int index, bool select) const { return Send(LB_SETSEL, select ? TRUE : FALSE, index) != LB_ERR; }
    int CaretIndex() const { return static_cast<int>(Send(LB_GETCARETINDEX)); }
    bool SetItemData(int index, LPARAM data) const {
        return Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data) != LB_ERR;
    }
    // The row's data; LB_ERR for a row that is not there.
    LPARAM ItemData(int index) const { return Send(LB_GETITEMDATA, static_cast<WPARAM>(index)); }
    void ResetContent() const { Send(LB_RESETCONTENT); }
    using Window::Text;
};

class Edit : public Window {
public:
    void SetLimitText(int limit) const { Send(EM_LIMITTEXT, static_cast<WPARAM>(limit)); }
    int LimitText() const { return static_cast<int>(Send(EM_GETLIMITTEXT)); }
    void SetSel(int start, int end) const { Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
    bool IsReadOnly() const { return (Style() & ES_READONLY) != 0; }
};

// A font; deleted with the object or when replaced.
class Font {
public:
    // Fills `description` from `font` (all fields; zeroed first). False when `font` is none.
    static bool Describe(HFONT font, LOGFONTW& description);
    // Puts the code page 932 `face` into the description's face name (cut to fit).
    static void SetFaceName(LOGFONTW& description, const std::string& face);

    bool CreateIndirect(const LOGFONTW& description);
    void Delete() { font_.reset(); }
    HFONT Handle() const { return font_.get(); }

private:
    ScopedGdi<HFONT> font_;
};

// A DC for a window's client area, drawing code page 932 text.
class ClientDC {
public:
    explicit ClientDC(HWND window) : dc_(GetDC(window), ReleaseWindowDc{window}) {}

    HDC Handle() const { return dc_.get(); }
    SIZE TextExtent(const std::string& text) const;
    void TextAt(int x, int y, const std::string& text) const;
    void SetBkMode(int mode) const { ::SetBkMode(Handle(), mode); }
    void SetTextColor(COLORREF colour) const { ::SetTextColor(Handle(), colour); }

private:
    Scoped<HDC, ReleaseWindowDc> dc_;
};

// The DC of a WM_PAINT: BeginPaint on construction, EndPaint when it goes.
class PaintDC {
public:
    explicit PaintDC(HWND window);
    HDC Handle() const { return dc_.get(); }

private:
    Scoped<HDC, EndWindowPaint> dc_;
};

}  // namespace verrow::ui
