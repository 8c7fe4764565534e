#include "platform/ui/dialog.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/cp932.h"
#include "platform/scoped.h"
#include "platform/timing.h"
#include "platform/ui/app.h"
#include "platform/ui/message.h"
#include "platform/win32_text.h"
#include "resources/texts.h"

namespace verrow::ui {
namespace {
constexpr wchar_t kInitDataType[] = L"INITDATA";

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Messages whose result a dialog procedure returns itself rather than through
// DWLP_MSGRESULT (WM_INITDIALOG and WM_QUERYDRAGICON have handlers of their own).
bool ReturnsItsResult(UINT message) {
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// Over the owner when it shows, else in the work area of the screen under the mouse
// (where the user just started the program), and kept within that work area.
void CentreWindow(HWND window) {
    RECT frame{};
    if (!GetWindowRect(window, &frame)) return;
    HWND owner = GetWindow(window, GW_OWNER);
    const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    HMONITOR monitor = nullptr;
    if (overOwner) {
        monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    } else {
        POINT cursor{};
        GetCursorPos(&cursor);
        monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (!GetMonitorInfoW(monitor, &screen)) return;
    const RECT& area = screen.rcWork;
    RECT around = area;
    if (overOwner) GetWindowRect(owner, &around);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    // The caption stays reachable when the window is larger than the work area.
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsPushButton(HWND window) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    auto type = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & BS_TYPEMASK;
    return _wcsicmp(className, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool IsTopLevel(HWND window) { return !(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD); }

BOOL CALLBACK TellOfNewColours(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}  // namespace

// --- LimitedBox

// Keeps a box within a limit in code page 932 bytes while the user edits it; the box's own
// limit (EM_LIMITTEXT) counts UTF-16 characters and so lets twice as many bytes of
// double-byte text in. Text reaches a box by keys, IME, paste, undo..., each handled
// differently by each system's edit control, so rather than foresee them all, every change
// the box reports (EN_UPDATE, handed over by the dialog) is judged after the fact: one that
// takes the text over the limit and makes it longer is undone by putting back the last
// accepted text and the selection from before the message that made it, once the box has
// finished that message. The subclass supplies what EN_UPDATE cannot tell: that selection,
// which changes are the program's (WM_SETTEXT, never cut), and when an IME composition is
// under way (some boxes show it inline; it is judged whole when it ends). Paste alone is
// foreseen, so that it goes in as far as it fits, as the box's own limit pastes.
class LimitedBox : public Window {
public:
    using Count = DataExchange::Count;
    LimitedBox(std::size_t limit, Count count) : limit_(limit), count_(count) {}
    void SetLimit(std::size_t limit, Count count) {
        limit_ = limit;
        count_ = count;
    }
    bool Attach(HWND field) {
        if (!Window::Attach(field)) return false;
        accepted_ = Current();
        return true;
    }
    void OnUpdate();

protected:
    bool WantsMessages() const override { return true; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring Current() const;
    std::pair<DWORD, DWORD> Selection() {
        DWORD start = 0, end = 0;
        CallDefault(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    bool PasteFitting();
    void PutBack();
    std::size_t Bytes(std::wstring_view text) const;

    std::size_t limit_;
    Count count_;
    std::wstring accepted_;
    std::pair<DWORD, DWORD> before_{0, 0};  // selection before the outermost message
    int depth_ = 0;
    bool trusted_ = false;
    bool composing_ = false;
    bool refused_ = false;
};

namespace {
// The bytes of `text` as a limit of kind `count` counts them.
std::size_t Counted(std::string_view text, DataExchange::Count count) {
    std::size_t bytes = text.size();
    if (count == DataExchange::Count::kLineBreakAsOne) {
        for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) --bytes;
    }
    return bytes;
}

// The clipboard's text; empty when it has none or cannot be opened.
std::wstring ClipboardText(HWND owner) {
    ScopedClipboard open(OpenClipboard(owner) != FALSE);
    HANDLE data = open ? GetClipboardData(CF_UNICODETEXT) : nullptr;
    const auto* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!chars) return std::wstring();
    std::wstring text(chars);
    GlobalUnlock(data);
    return text;
}
}  // namespace

std::wstring LimitedBox::Current() const { return WideWindowText(Handle()); }

std::size_t LimitedBox::Bytes(std::wstring_view text) const { return Counted(FromSystemText(text), count_); }

LRESULT LimitedBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        bool outer = !trusted_;
        trusted_ = true;
        LRESULT result = CallDefault(message, wParam, lParam);
        if (outer) trusted_ = false;
        accepted_ = Current();
        return result;
    }
    // Questions change nothing (and come from this class itself, between a change and
    // its judgement).
    if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH || message == EM_GETSEL) {
        return CallDefault(message, wParam, lParam);
    }
    bool outer = depth_ == 0;
    if (outer && !composing_) before_ = Selection();
    if (message == WM_IME_STARTCOMPOSITION) composing_ = true;
    if (message == WM_PASTE && PasteFitting()) return 0;
    ++depth_;
    LRESULT result = CallDefault(message, wParam, lParam);
    --depth_;
    if (composing_ && (message == WM_IME_ENDCOMPOSITION || message == WM_KILLFOCUS)) {
        composing_ = false;
        OnUpdate();
    }
    if (outer && refused_) PutBack();
    return result;
}

void LimitedBox::OnUpdate() {
    if (trusted_ || composing_) return;
    std::wstring text = Current();
    std::size_t bytes = Bytes(text);
    // Shortening a longer text handed in by the program is always allowed.
    if (bytes <= limit_ || bytes <= Bytes(accepted_)) {
        accepted_ = std::move(text);
        return;
    }
    refused_ = true;
    if (depth_ == 0) PutBack();
}

void LimitedBox::PutBack() {
    refused_ = false;
    std::wstring text = accepted_;
    auto [start, end] = before_;
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Send(EM_SETSEL, start, static_cast<LPARAM>(end));
    Send(EM_SCROLLCARET);
    MessageBeep(MB_OK);
}

// True when it has dealt with the paste itself because the clipboard's text does not fit,
// or holds more than one line for a one-line box: then what fits of the first line goes
// in, as an undoable change.
bool LimitedBox::PasteFitting() {
    if (Style() & ES_READONLY) return false;
    std::wstring text = ClipboardText(Handle());
    std::wstring paste = text;
    if (!(Style() & ES_MULTILINE)) paste = paste.substr(0, paste.find_first_of(L"\r\n"));
    std::wstring now = Current();
    auto [start, end] = Selection();
    start = std::min<DWORD>(start, static_cast<DWORD>(now.size()));
    end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(now.size()));
    std::size_t kept = Bytes(now.substr(0, start)) + Bytes(now.substr(end));
    std::size_t ceiling = std::max(limit_, Bytes(now));
    std::size_t room = ceiling > kept ? ceiling - kept : 0;
    std::size_t take = 0, used = 0;
    while (take < paste.size()) {
        // A surrogate pair, and a line break, go in whole or not at all.
        bool pair = take + 1 < paste.size() &&
                    (IS_HIGH_SURROGATE(paste[take]) || (paste[take] == L'\r' && paste[take + 1] == L'\n'));
        std::size_t step = pair ? 2 : 1;
        std::size_t bytes = Bytes(std::wstring_view(paste).substr(take, step));
        if (used + bytes > room) break;
        used += bytes;
        take += step;
    }
    if (take == text.size()) return false;  // all of it fits: the box pastes as it always does
    if (take < paste.size()) MessageBeep(MB_OK);
    if (take > 0) Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(paste.substr(0, take).c_str()));
    return true;
}

// --- DataExchange

HWND DataExchange::Field(int id) const { return dialog_.Item(id); }

void DataExchange::Fail(int id, HWND field) {
    failedIds_.push_back(id);
    // Only the first field that fails is named: one message, and the focus there.
    if (failedIds_.size() > 1 || !field) return;
    SetFocus(field);
    wchar_t className[32] = {};
    GetClassNameW(field, className, 32);
    if (_wcsicmp(className, L"Edit") == 0) SendMessageW(field, EM_SETSEL, 0, -1);
}

void DataExchange::Text(int id, std::string& value, std::size_t maxBytes, Count count) {
    HWND field = Field(id);
    if (!take_) {
        // The box's own limit still stops single-byte typing at once, without a put-back.
        // It counts characters, and a line break that counts one byte is two of them.
        if (maxBytes > 0) {
            std::size_t characters = count == Count::kLineBreakAsOne ? 2 * maxBytes : maxBytes;
            SendMessageW(field, EM_LIMITTEXT, characters, 0);
            dialog_.LimitBytes(field, maxBytes, count);
        }
        Window box;
        box.Attach(field);
        box.SetText(value);
        return;
    }
    std::wstring shown = WideWindowText(field);
    bool exact = true;
    // Typed or pasted text that code page 932 cannot hold would be kept as look-alikes or
    // '?' (Jürgen as Jurgen) without a word: the taking fails and says so.
    if (shown != ToSystemText(value)) value = FromSystemText(shown, exact);
    const bool tooLong = exact && maxBytes > 0 && Counted(value, count) > maxBytes;
    if (exact && !tooLong) return;
    if (!Failed()) {
        ShowMessage(exact ? cp932::Substitute(text::kTextTooLong, {std::to_string(maxBytes)})
                          : std::string(text::kTypedTextNotInCodePage),
                    mb::kOk);
    }
    Fail(id, field);
}

void DataExchange::Check(int id, int& value) {
    HWND field = Field(id);
    if (take_) {
        value = static_cast<int>(SendMessageW(field, BM_GETCHECK, 0, 0));
        return;
    }
    if (value < 0 || value > 2) value = 0;
    SendMessageW(field, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DataExchange::ComboIndex(int id, int& value) {
    HWND field = Field(id);
    if (take_) {
        LRESULT index = SendMessageW(field, CB_GETCURSEL, 0, 0);
        value = index == CB_ERR ? -1 : static_cast<int>(index);
        return;
    }
    SendMessageW(field, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DataExchange::Control(int id, Window& control) {
    if (control.IsAttached()) return;
    if (control.Attach(Field(id))) dialog_.bound_.push_back(&control);
}

// --- Dialog

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
    if (!hwnd_) return;
    // The derived part has gone, and with it the controls it bound (they let go of their
    // windows in their own destructors): they are not touched here.
    HWND window = hwnd_;
    bound_.clear();
    Detach();
    DestroyWindow(window);
}

void Dialog::LimitBytes(HWND field, std::size_t maxBytes, DataExchange::Count count) {
    for (const auto& box : limited_) {
        if (box->Handle() == field) {
            box->SetLimit(maxBytes, count);
            return;
        }
    }
    auto box = std::make_unique<LimitedBox>(maxBytes, count);
    if (box->Attach(field)) limited_.push_back(std::move(box));
}

namespace {
// The open dialogs by window, a handful at most. Every message to a dialog looks its object
// up here: a window property would cost a request to the window server on some systems (wine),
// each time, and a list fills with thousands of notifications.
std::vector<std::pair<HWND, Dialog*>>& OpenDialogs() {
    static std::vector<std::pair<HWND, Dialog*>> dialogs;
    return dialogs;
}
}  // namespace

void Dialog::Detach() {
    limited_.clear();
    menuHelp_ = ScopedHook();
    auto& open = OpenDialogs();
    open.erase(std::remove_if(open.begin(), open.end(), [this](const auto& d) { return d.first == hwnd_; }),
               open.end());
    if (Application* app = Application::Current(); app && app->MainWindow() == this) app->SetMainWindow(nullptr);
    hwnd_ = nullptr;
    running_ = false;
}

bool IsHelpKey(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_F1 && !KeyDown(VK_SHIFT) &&
           !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU);
}

Dialog* Dialog::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (const auto& [window, dialog] : OpenDialogs()) {
        if (window == hwnd) return dialog;
    }
    return nullptr;
}

int Dialog::DoModal() {
    if (hwnd_) return -1;  // already running
    HWND owner = parent_ ? GetAncestor(parent_, GA_ROOT) : DefaultOwner();
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner) EnableWindow(owner, FALSE);

    result_ = -1;
    running_ = true;
    VERROW_MARK("dialog: create");
    HWND created = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner,
                                      &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (created && hwnd_ && running_ && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
    VERROW_MARK("dialog: created and shown");

    while (running_ && hwnd_) {
        MSG message;
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside ours
            break;
        }
        if (got == -1) break;
        RunLoopMessage(message);
    }
    running_ = false;
    VERROW_MARK("dialog: loop ended");

    if (disabledOwner) EnableWindow(owner, TRUE);
    if (hwnd_) {
        if (GetActiveWindow() == hwnd_ && owner) SetActiveWindow(owner);
        DestroyWindow(hwnd_);
    }
    VERROW_MARK("dialog: destroyed");
    return result_;
}

void Dialog::RunLoopMessage(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    Dialog* target = FromHandle(root);
    if (target && IsHelpKey(message)) {
        SendMessageW(root, WM_COMMAND, MAKEWPARAM(kIdHelp, 0), 0);
        return;
    }
    if (target && target->PreTranslateMessage(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Dialog::EndDialog(int code) {
    result_ = code;
    running_ = false;
    PostMessageW(nullptr, WM_NULL, 0, 0);  // wake the loop if it waits
}

bool Dialog::UpdateData(bool take) {
    if (take) return TakeFields().empty();
    DataExchange dx(*this, false);
    DoDataExchange(dx);
    return true;
}

std::vector<int> Dialog::TakeFields() {
    DataExchange dx(*this, true);
    DoDataExchange(dx);
    return std::move(dx.failedIds_);
}

bool Dialog::PreTranslateMessage(MSG& message) {
    if (!hwnd_) return false;
    // Enter on a focused push button presses it, however the focus got there (the dialog
    // manager only knows a button made default by keyboard navigation).
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == hwnd_ && IsWindowEnabled(focus) && IsPushButton(focus)) {
            SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
            return true;
        }
    }
    return IsDialogMessageW(hwnd_, &message) != FALSE;
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        OpenDialogs().emplace_back(hwnd, self);
    } else {
        self = FromHandle(hwnd);
    }
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    VERROW_MARK_DIALOG_MESSAGE(message);
    switch (message) {
    case WM_INITDIALOG:
        ApplyInitData();
        // Placed first, so that a message OnInitDialog shows (the main window's, about its
        // files and start-up entries) comes on the screen where the window will open.
        if (IsTopLevel(hwnd_)) CentreWindow(hwnd_);
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        if (code == EN_UPDATE && lParam) {
            for (const auto& box : limited_) {
                if (box->Handle() == reinterpret_cast<HWND>(lParam)) box->OnUpdate();
            }
        }
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
        if (code != BN_CLICKED) return FALSE;
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        if (id == static_cast<int>(kIdHelp)) {
            if (Application* app = Application::Current()) app->OnHelp(hwnd_);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (!header || !OnNotify(static_cast<int>(header->idFrom), *header, result)) return FALSE;
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return TRUE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
    case WM_ENTERMENULOOP:
        menuHelp_ = WatchHelpKey();
        return FALSE;
    case WM_EXITMENULOOP:
        menuHelp_ = ScopedHook();
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_SYSCOLORCHANGE:
        // The system tells top-level windows only; the common controls (the list's
        // background and text) learn of new colours from their dialog.
        if (IsTopLevel(hwnd_)) EnumChildWindows(hwnd_, TellOfNewColours, 0);
        return FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_NCDESTROY:
        for (Window* control : bound_) control->Detach();
        bound_.clear();
        Detach();
        return FALSE;
    default: {
        LRESULT result = 0;
        if (!OnMessage(message, wParam, lParam, result)) return FALSE;
        if (ReturnsItsResult(message)) return static_cast<INT_PTR>(result);
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
}

void Dialog::ApplyInitData() {
    HINSTANCE instance = ResourceInstance();
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId_), kInitDataType);
    if (!found) return;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    std::vector<InitRecord> records;
    if (!data || !ParseInitData(data, SizeofResource(instance, found), records)) return;
    for (const InitRecord& record : records) {
        std::wstring text = ToSystemText(record.text);
        SendDlgItemMessageW(hwnd_, record.control, record.message, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

bool ParseInitData(const void* data, std::size_t size, std::vector<InitRecord>& records) {
    records.clear();
    const auto* bytes = static_cast<const unsigned char*>(data);
    auto word = [&](std::size_t at) { return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8)); };
    std::size_t at = 0;
    std::vector<InitRecord> parsed;
    while (true) {
        if (!bytes || at + 2 > size) return false;  // no end mark
        unsigned control = word(at);
        at += 2;
        if (control == 0) break;
        if (at + 2 > size) return false;
        unsigned message = word(at);
        at += 2;
        const auto* end = static_cast<const unsigned char*>(std::memchr(bytes + at, 0, size - at));
        if (!end) return false;
        auto length = static_cast<std::size_t>(end - (bytes + at));
        parsed.push_back({static_cast<int>(control), message, std::string(reinterpret_cast<const char*>(bytes + at), length)});
        at += length + 1;
    }
    records = std::move(parsed);
    return true;
}

}  // namespace verrow::ui
