#include "platform/ui/window.h"

#include <commctrl.h>

#include "platform/win32_text.h"

namespace verrow::ui {
namespace {
constexpr UINT_PTR kSubclassId = 0x56727277;  // one subclass of ours per window
}

Window::~Window() { Detach(); }

bool Window::Attach(HWND hwnd) {
    if (hwnd_ || !IsWindow(hwnd)) return false;
    hwnd_ = hwnd;
    if (WantsMessages()) {
        subclassed_ = SetWindowSubclass(hwnd, &Window::SubclassProc, kSubclassId,
                                        reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    }
    return true;
}

HWND Window::Detach() {
    if (subclassed_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &Window::SubclassProc, kSubclassId);
    subclassed_ = false;
    HWND old = hwnd_;
    hwnd_ = nullptr;
    return old;
}

std::wstring WideWindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string Window::Text() const { return FromSystemText(WideWindowText(hwnd_)); }

void Window::SetText(const std::string& text) const {
    SetWindowTextW(hwnd_, ToSystemText(text).c_str());
}

bool Window::ModifyStyle(DWORD remove, DWORD add) const {
    DWORD style = Style();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return false;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(changed));
    return true;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallDefault(message, wParam, lParam);
}

LRESULT Window::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Window*>(data);
    if (message == WM_NCDESTROY) {
        // The window goes; the wrapper stays usable for a later Attach.
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        RemoveWindowSubclass(hwnd, &Window::SubclassProc, kSubclassId);
        self->subclassed_ = false;
        self->hwnd_ = nullptr;
        return result;
    }
    return self->WindowProc(message, wParam, lParam);
}

}  // namespace verrow::ui
