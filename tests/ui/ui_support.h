// Helpers for driving real dialogs in-process: a script of steps run from a thread timer
// (so they run inside whatever modal loop is active, including message boxes), window
// lookup, pixel capture and PNG screenshots.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/app.h"

namespace verrow::test {

// An application object that runs nothing and records the windows help was asked for.
class TestApp : public ui::Application {
public:
    int inits = 0;
    std::vector<HWND> helps;
    bool InitInstance() override {
        ++inits;
        return false;
    }
    void OnHelp(HWND window) override { helps.push_back(window); }
};

// Runs its steps in order, one per timer tick, while the thread sits in a modal loop.
// A step returns false to be tried again on the next tick (waiting for a window). A step
// that blocks in a nested loop (a message box) lets the following steps run meanwhile.
// After `timeoutMs` the test fails and every window of the thread is closed.
class Driver {
public:
    using Step = std::function<bool()>;
    explicit Driver(std::vector<Step> steps, unsigned timeoutMs = 10000);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    bool Finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
};

// Visible top-level dialog windows (#32770) of this thread, newest first as the system
// lists them.
std::vector<HWND> ThreadDialogs();
// A message box of this thread (a #32770 with the static 65535), or null.
HWND FindMessageBox();
// A step: waits for a message box, keeps its text and caption, and answers it with OK.
Driver::Step AnswerMessageBox(std::string& text, std::string& caption);
std::string TextOf(HWND window);  // code page 932
std::string ClassOf(HWND window);
void PostKey(HWND target, UINT key);
// The window that has the keyboard focus in this thread.
HWND FocusWindow();
// Sends each UTF-16 unit of `chars` to `box` as a character message (WM_CHAR, or
// WM_IME_CHAR as an IME hands over its result), as the keyboard would.
void TypeChars(HWND box, const std::wstring& chars, UINT message = WM_CHAR);
// Puts `text` on the clipboard; false on failure.
bool PutOnClipboard(const std::wstring& text);

// Pixels, 0x00RRGGBB, top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
};
// Paints pending updates first. Client area only, or the whole window with its frame.
// A BitBlt from the window's own DC: under wine it gives the real pixels, including what
// a control draws outside WM_PAINT's DC and the frame wine draws without a window manager.
Pixels CaptureClient(HWND window);
Pixels CaptureWindow(HWND window);
// Copies a rectangle of a device context (32-bit, alpha cleared); empty for an empty one.
Pixels CopyPixels(HDC source, int x, int y, int width, int height);
// Writes <build>/screenshots/<name>.png; false on failure.
bool SaveScreenshot(const Pixels& pixels, const std::string& name);

// Pumps this thread's messages for `ms` milliseconds.
void Pump(unsigned ms);

}  // namespace verrow::test
