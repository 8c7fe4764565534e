// Modal dialogs over the program's dialog templates, and data exchange.
//
// Writing a dialog:
//
//   class SettingsDialog : public ui::Dialog {
//   public:
//       SettingsDialog() : Dialog(IDD_SETTINGS) {}  // template id, optional owner window
//       int StartOpen = 0;
//       int ListStyle = -1;
//   protected:
//       void DoDataExchange(ui::DataExchange& dx) override {
//           dx.Check(IDC_START_OPEN, StartOpen);
//           dx.ComboIndex(IDC_LIST_STYLE, ListStyle);
//       }
//   };
//   SettingsDialog dialog;
//   dialog.StartOpen = 1;
//   if (dialog.DoModal() == IDOK) use(dialog.ListStyle);
//
// DoModal creates the window from the template, disables the owner (the given parent's
// top-level window, else DefaultOwner of app.h), applies the template's
// initialisation data (below), calls OnInitDialog (default: show the data; the focus goes
// to the first tab stop) after centring the window (over the owner when that shows, else
// on the screen under the mouse, within its work area; templates place every dialog at
// 0,0, a corner), shows the window and runs a message loop of its own until
// EndDialog. Then it enables the owner, destroys the window (OnDestroy runs) and returns
// the code given to EndDialog, or -1 when the window could not be created. A dialog object
// that goes while its window is still there (its derived part has gone already) first lets
// go of the window, then destroys it: no message of that destruction reaches the object.
//
// The loop hands every message to PreTranslateMessage of the dialog whose window it is
// for (the top-level window of its target), before dispatching it. The default runs the
// dialog manager (IsDialogMessage): Tab moves the focus, Esc is IDCANCEL, Enter presses a
// focused push button and is IDOK (or the default button) otherwise. An override that
// watches mouse messages for a tooltip calls ToolTipWindow::RelayEvent and then the base.
// F1 without Shift, Ctrl or Alt sends the command kIdHelp to the dialog; no dialog handles
// it, so it reaches Application::OnHelp.
//
// Messages reach these handlers:
//   WM_INITDIALOG  OnInitDialog      WM_COMMAND   OnCommand, else IDOK -> OnOK,
//   WM_NOTIFY      OnNotify                       IDCANCEL -> OnCancel (also Esc and the
//   WM_TIMER       OnTimer                        close box), kIdHelp -> the application
//   WM_PAINT       OnPaint           WM_SYSCOMMAND  OnSysCommand
//   WM_DESTROY     OnDestroy         WM_QUERYDRAGICON  OnQueryDragIcon
//   any other      OnMessage (WM_ENDSESSION, WM_SIZE, WM_APP messages of its own, ...)
// A handler that returns false leaves the message to the system's default handling.
//
// Template initialisation data: a resource of type "INITDATA" with the template's id holds
// records that are sent to the template's controls after the window is created and before
// OnInitDialog, e.g. the items of a combo box. Each record: the control id (16 bits, little
// endian), the message (16 bits; one that takes a text in lParam and 0 in wParam, such as
// CB_ADDSTRING or LB_ADDSTRING), the text in code page 932 ended by a zero byte. A control
// id of 0 ends the list. Data that does not follow this form is not applied at all.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/scoped.h"
#include "platform/ui/window.h"

namespace verrow::ui {

class Dialog;
class LimitedBox;

// One direction of data exchange over a dialog's controls. Taking (controls to members)
// names only the first field that fails: its member has been set (to the nearest code
// page 932 can hold, when it cannot hold the text), the focus is in it, and UpdateData
// returns false. The fields after it are still read, and those that fail too are counted
// without a word: a showing that follows, as many commands do, would otherwise put back
// older values over what the user ticked or typed there, and a command that needs only
// some fields can go on when just others failed (TakeFields).
class DataExchange {
public:
    // How a limit counts the text of a box.
    enum class Count {
        kBytes,           // every byte
        kLineBreakAsOne,  // a line break (CR LF, CR or LF) as one byte: for a box whose
                          // lines are stored joined by a one-byte separator
    };

    bool Taking() const { return take_; }
    bool Failed() const { return !failedIds_.empty(); }

    // Edit text. With `maxBytes` > 0, showing also limits what the user can put into the
    // box to `maxBytes` bytes of code page 932: typing, IME results, undo and the like are
    // refused (with a beep) when they would take the text over the limit and make it
    // longer than it was; a paste goes in as far as it fits, and into a one-line box only
    // its first line. Text set by the program (WM_SETTEXT, showing) is never cut, so a
    // longer value handed in shows whole and can only be shortened. Taking counts the
    // text's bytes and, when there are more than `maxBytes`, shows
    // "%1 文字以内で入力してください。" with the limit and fails. The box is subclassed for
    // this (one subclass of ours per window: do not also bind it to a wrapper that handles
    // messages) and stays limited until the dialog closes. `count` says how the limit
    // counts. Taking keeps the member's own bytes while the box still shows them unchanged:
    // bytes that the system shows as other characters (an NEC special character as its
    // JIS twin, a lead byte without its trail) come back as they went in. Text that code
    // page 932 cannot hold fails as text over the limit does, with its own message; the
    // member takes the nearest text it can hold, which a showing then puts in the box for
    // the user to see.
    void Text(int id, std::string& value, std::size_t maxBytes = 0, Count count = Count::kBytes);
    // Check box state 0, 1 or 2. Showing a value outside 0-2 first sets it to 0.
    void Check(int id, int& value);
    // Selected item of a combo box; -1 means no selection (shown for any invalid index).
    void ComboIndex(int id, int& value);
    // Attaches `control` to the dialog's control `id` (first exchange only, either
    // direction); a wrapper that handles messages subclasses it (window.h).
    void Control(int id, Window& control);

private:
    friend class Dialog;
    DataExchange(Dialog& dialog, bool take) : dialog_(dialog), take_(take) {}
    HWND Field(int id) const;
    void Fail(int id, HWND field);

    Dialog& dialog_;
    bool take_;
    std::vector<int> failedIds_;  // the fields taking could not take, the named one first
};

class Dialog {
public:
    explicit Dialog(int templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int DoModal();
    // Ends the modal loop with `code` (the window is destroyed when DoModal returns).
    void EndDialog(int code);
    // Runs DoDataExchange in one direction; false when taking failed.
    bool UpdateData(bool take);
    // Takes the fields, as UpdateData(true) does; the ids of those it could not take.
    std::vector<int> TakeFields();

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int TemplateId() const { return templateId_; }

    // Called for every message of this dialog's window and its controls before dispatch;
    // true when the message has been handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message);

    // The dialog object of a window created by DoModal, or null.
    static Dialog* FromHandle(HWND hwnd);

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx) {}
    virtual void OnOK();      // takes the data; when that succeeds ends with IDOK
    virtual void OnCancel();  // ends with IDCANCEL
    virtual bool OnCommand(int id, int code, HWND control) { return false; }
    virtual bool OnNotify(int id, NMHDR& header, LRESULT& result) { return false; }
    virtual void OnTimer(UINT_PTR id) {}
    virtual bool OnPaint() { return false; }
    virtual void OnDestroy() {}
    virtual bool OnSysCommand(UINT command, LPARAM lParam) { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }
    // Every other message: true when handled, with `result` as the message's result (the
    // framework hands it back as each message wants it: the brush of a WM_CTLCOLOR...
    // message as the procedure's return value, most results through DWLP_MSGRESULT).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }

private:
    friend class DataExchange;
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyInitData();
    // Lets go of the window: its messages reach this object no more, and the limited boxes
    // let go of their controls. The window itself stays.
    void Detach();
    static void RunLoopMessage(MSG& message);
    void LimitBytes(HWND field, std::size_t maxBytes, DataExchange::Count count);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool running_ = false;
    int result_ = -1;
    std::vector<Window*> bound_;
    std::vector<std::unique_ptr<LimitedBox>> limited_;
    ScopedHook menuHelp_;  // while the system menu's own loop runs
};

// F1 pressed without Shift, Ctrl or Alt: the key that asks for help.
bool IsHelpKey(const MSG& message);

// Template initialisation data, parsed (see above).
struct InitRecord {
    int control;
    UINT message;
    std::string text;
};
// False, with `records` empty, when the data does not follow the form.
bool ParseInitData(const void* data, std::size_t size, std::vector<InitRecord>& records);

}  // namespace verrow::ui
