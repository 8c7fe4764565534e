// Owning holders for Win32 handles: each releases its handle once, when it goes out of
// scope or is reset, and can be moved but not copied.
//
//   ScopedGdi<HFONT> font(CreateFontIndirectW(&lf));   // DeleteObject
//   ScopedIcon icon(...);                              // DestroyIcon (not for LoadIcon's shared icons)
//   ScopedWindow popup(CreateWindowExW(...));          // DestroyWindow, if still a window
//   ScopedSelect keep(dc, font.get());                 // selects, and selects the old object back
//
// DCs have their own holders in controls.h (ClientDC, PaintDC), since releasing one needs
// the window it belongs to.
#pragma once

#include <windows.h>

#include <utility>

namespace verrow::ui {

template <typename Handle, typename Close>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }
    Handle release() { return std::exchange(handle_, Handle()); }
    void reset(Handle handle = Handle()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Handle()) Close()(old);
    }

private:
    Handle handle_ = Handle();
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DestroyWindowHandle {
    void operator()(HWND window) const {
        if (IsWindow(window)) DestroyWindow(window);
    }
};

template <typename GdiHandle>
using ScopedGdi = Scoped<GdiHandle, DeleteGdiObject>;
using ScopedIcon = Scoped<HICON, DestroyIconHandle>;
using ScopedWindow = Scoped<HWND, DestroyWindowHandle>;

// Selects a GDI object into a DC for the life of a scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace verrow::ui
