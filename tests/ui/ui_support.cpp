#include "tests/ui/ui_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/ui/dialog.h"
#include "platform/win32_text.h"

namespace verrow::test {
namespace {
Driver* g_driver = nullptr;

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    if (ClassOf(window) == "#32770" && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    static std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void Chunk(std::string& png, const char* kind, const std::string& data) {
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(kind, 4) + data;
    png += body;
    PutBig32(png, Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// zlib stream of stored (uncompressed) blocks: no compression library needed.
std::string StoredZlib(const std::string& raw) {
    std::string out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        bool last = at + n == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

}  // namespace

Pixels CopyPixels(HDC source, int x, int y, int width, int height) {
    Pixels pixels;
    if (!source || width <= 0 || height <= 0) return pixels;
    pixels.width = width;
    pixels.height = height;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const auto* data = static_cast<const std::uint32_t*>(bits);
    pixels.rgb.assign(data, data + static_cast<std::size_t>(width) * height);
    for (auto& p : pixels.rgb) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

namespace {
Pixels Capture(HWND window, bool whole) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r{};
    if (whole) {
        GetWindowRect(window, &r);
    } else {
        GetClientRect(window, &r);
    }
    HDC source = whole ? GetWindowDC(window) : GetDC(window);
    Pixels pixels = CopyPixels(source, 0, 0, r.right - r.left, r.bottom - r.top);
    ReleaseDC(window, source);
    return pixels;
}
}  // namespace

Driver::Driver(std::vector<Step> steps, unsigned timeoutMs)
    : steps_(std::move(steps)), deadline_(GetTickCount() + timeoutMs) {
    g_driver = this;
    timer_ = SetTimer(nullptr, 0, 30, &Driver::Tick);
}

Driver::~Driver() {
    KillTimer(nullptr, timer_);
    if (g_driver == this) g_driver = nullptr;
    EXPECT_TRUE(Finished() && !timedOut_) << "the script stopped at step " << next_ + 1;
}

void CALLBACK Driver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    Driver* self = g_driver;
    if (!self || self->timedOut_) return;
    if (static_cast<LONG>(GetTickCount() - self->deadline_) > 0) {
        self->timedOut_ = true;
        ADD_FAILURE() << "timed out at step " << self->next_ + 1;
        for (HWND window : ThreadDialogs()) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (self->Finished()) return;
    std::size_t index = self->next_++;
    bool done = self->steps_[index]();
    if (!done && self->next_ == index + 1) self->next_ = index;
}

std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> list;
    EnumThreadWindows(GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&list));
    return list;
}

HWND FindMessageBox() {
    for (HWND window : ThreadDialogs()) {
        if (ui::Dialog::FromHandle(window)) continue;  // one of ours, not a message box
        HWND text = GetDlgItem(window, 0xFFFF);
        if (text && ClassOf(text) == "Static" && GetDlgItem(window, IDOK)) return window;
    }
    return nullptr;
}

Driver::Step AnswerMessageBox(std::string& text, std::string& caption) {
    return [&text, &caption] {
        HWND box = FindMessageBox();
        if (!box) return false;
        text = TextOf(GetDlgItem(box, 0xFFFF));
        caption = TextOf(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

std::string TextOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return FromSystemText(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return FromSystemText(name);
}

void PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

HWND FocusWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.hwndFocus;
}

void TypeChars(HWND box, const std::wstring& chars, UINT message) {
    for (wchar_t c : chars) SendMessageW(box, message, c, 1);
}

bool PutOnClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = memory ? GlobalLock(memory) : nullptr;
    if (bytes) {
        std::memcpy(bytes, text.c_str(), size);
        GlobalUnlock(memory);
    }
    bool put = bytes && SetClipboardData(CF_UNICODETEXT, memory);
    if (!put && memory) GlobalFree(memory);
    CloseClipboard();
    return put;
}

Pixels CaptureClient(HWND window) { return Capture(window, false); }
Pixels CaptureWindow(HWND window) { return Capture(window, true); }

bool SaveScreenshot(const Pixels& pixels, const std::string& name) {
    if (pixels.width <= 0 || pixels.height <= 0) return false;  // no window to see
    // The build folder as wine sees it: the Linux root is drive Z:.
    std::string folder = std::string("Z:") + VERROW_SCREENSHOT_DIR;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    CreateDirectoryW(ToSystemText(folder).c_str(), nullptr);
    std::string raw;
    raw.reserve(static_cast<std::size_t>(pixels.height) * (pixels.width * 3 + 1));
    for (int y = 0; y < pixels.height; ++y) {
        raw += '\0';
        for (int x = 0; x < pixels.width; ++x) {
            std::uint32_t p = pixels.At(x, y);
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
        }
    }
    std::string header;
    PutBig32(header, static_cast<std::uint32_t>(pixels.width));
    PutBig32(header, static_cast<std::uint32_t>(pixels.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", StoredZlib(raw));
    Chunk(png, "IEND", "");
    std::string path = folder + "\\" + name + ".png";
    FILE* file = _wfopen(ToSystemText(path).c_str(), L"wb");
    if (!file) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && ok;
}

void Pump(unsigned ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(GetTickCount() - end) < 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

}  // namespace verrow::test
