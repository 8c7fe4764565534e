// The base of every control wrapper: a window handle that the wrapper refers to but does
// not own (a dialog's controls are destroyed with the dialog).
//
// Texts are code page 932 byte strings; they reach the window through ToSystemText and
// come back through FromSystemText (platform/win32_text.h), never through the A functions.
//
// A wrapper that handles messages itself overrides WantsMessages() and WindowProc(): when
// it is attached to an existing control (Attach, or DataExchange::Control), the control is
// subclassed, so every message reaches WindowProc first; CallDefault hands a message on to
// the control's own handling. The subclass is removed when the window is destroyed or the
// wrapper detached.
#pragma once

#include <windows.h>

#include <string>

namespace verrow::ui {

// A window's text as the system holds it (UTF-16).
std::wstring WideWindowText(HWND window);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    bool IsAttached() const { return hwnd_ != nullptr; }
    // Refers to `hwnd` from now on (subclassing it if the wrapper wants messages).
    // False when already attached or `hwnd` is no window.
    bool Attach(HWND hwnd);
    HWND Detach();

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }

    std::string Text() const;
    void SetText(const std::string& text) const;
    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    // Clears `remove`, then sets `add` in the window style; false when nothing changed.
    bool ModifyStyle(DWORD remove, DWORD add) const;
    void SetFont(HFONT font, bool redraw = true) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    HFONT Font() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }

protected:
    virtual bool WantsMessages() const { return false; }
    // Every message of a subclassed control; the default hands it on unchanged.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
};

}  // namespace verrow::ui
