// Owning holders for handles: each releases its handle once, when it goes out of scope or
// is reset, and can be moved but not copied. Every handle the program opens is held by one.
//
//   ScopedHandle file(CreateFileW(...));               // CloseHandle; empty when it failed
//   ScopedFind find(FindFirstFileW(...));              // FindClose
//   ScopedGdi<HFONT> font(CreateFontIndirectW(&lf));   // DeleteObject
//   Scoped<HDC, ReleaseWindowDc> dc(GetDC(window), ReleaseWindowDc{window});
//   ScopedSelect keep(dc, font.get());                 // selects, and selects the old object back
//
// The second argument is the closer: a function object that releases one handle, which
// may carry what the release needs besides the handle (the window of a DC). A kind of
// handle whose functions report "none" by another value than the null one (CreateFile's
// INVALID_HANDLE_VALUE) has a closer with `static Handle Invalid()`: the holder keeps that
// value as empty. Something opened that is not a handle (the clipboard, COM on a thread)
// is held as a bool: true while it is open.
#pragma once

#include <type_traits>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#endif

namespace verrow {

namespace detail {
template <typename Close, typename = void>
struct HasInvalid : std::false_type {};
template <typename Close>
struct HasInvalid<Close, std::void_t<decltype(Close::Invalid())>> : std::true_type {};
}  // namespace detail

template <typename Handle, typename Close>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle, Close close = Close()) : handle_(Held(handle)), close_(std::move(close)) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : handle_(other.release()), close_(std::move(other.close_)) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset(other.release());  // the old handle goes with the old closer
            close_ = std::move(other.close_);
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle(); }
    Handle release() { return std::exchange(handle_, Handle()); }
    void reset(Handle handle = Handle()) {
        Handle old = std::exchange(handle_, Held(handle));
        if (old != Handle()) close_(old);
    }

private:
    static Handle Held(Handle handle) {
        if constexpr (detail::HasInvalid<Close>::value) {
            if (handle == Close::Invalid()) return Handle();
        }
        return handle;
    }

    Handle handle_ = Handle();
    Close close_{};
};

#ifdef _WIN32

// Files, processes, threads.
struct CloseKernelHandle {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct CloseFind {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE find) const { FindClose(find); }
};
struct FreeEnvironmentBlock {
    void operator()(wchar_t* block) const { FreeEnvironmentStringsW(block); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
// A DC that GetDC gave for `window`.
struct ReleaseWindowDc {
    HWND window = nullptr;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
// A DC that BeginPaint gave: the painting ends with it.
struct EndWindowPaint {
    HWND window = nullptr;
    PAINTSTRUCT paint{};
    void operator()(HDC) const { EndPaint(window, &paint); }
};
// A hook that SetWindowsHookEx set.
struct UnhookHook {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
// OpenClipboard's success.
struct CloseOpenClipboard {
    void operator()(bool) const { CloseClipboard(); }
};

using ScopedHandle = Scoped<HANDLE, CloseKernelHandle>;
using ScopedHook = Scoped<HHOOK, UnhookHook>;
using ScopedFind = Scoped<HANDLE, CloseFind>;
template <typename GdiHandle>
using ScopedGdi = Scoped<GdiHandle, DeleteGdiObject>;
using ScopedClipboard = Scoped<bool, CloseOpenClipboard>;

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

#endif

}  // namespace verrow
