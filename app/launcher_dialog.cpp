#include "app/launcher_dialog.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/free_space.h"
#include "app/save_report.h"
#include "base/path.h"
#include "dialogs/about_dialog.h"
#include "platform/os.h"
#include "platform/timing.h"
#include "platform/ui/app.h"
#include "platform/ui/message.h"
#include "resources/texts.h"
#include "storage/settings.h"

namespace verrow {
namespace {
constexpr int kFigureWidth = 16;
constexpr int kFiguresGrow = 16;
constexpr COLORREF kFiguresMask = RGB(255, 255, 255);
}  // namespace

LauncherDialog::LauncherDialog(HWND parent) : Dialog(IDD_MAIN, parent) {
    Icon = LoadIconW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDI_VERROW));
    // The entry files are read from now on, while the window is made: opening a file can
    // take long (on some systems every open is a round trip to a server), and the set-up
    // takes the files at its own step, after the settings (OnInitDialog).
    canStore_ = GetOs().ModuleFolderExact();
    if (canStore_) {
        PathParts exe = SplitPath(GetOs().ModuleFileName());
        entryFiles_ = EntryStore(exe.drive + exe.dir, exe.drive).FindEntryFiles();
    }
}

void LauncherDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Control(IDC_FREE_SPACE, FreeSpaceBar);
    dx.Control(IDC_CONF, ConfButton);
    dx.Control(IDC_RUN, RunButton);
    dx.Control(IDC_ADD, AddButton);
    dx.Control(IDC_EDIT, EditButton);
    dx.Control(IDC_DRIVE, DriveButton);
    dx.Control(IDC_DEL, DelButton);
    dx.Control(IDC_LIST, List);
    dx.Text(IDC_SELECTED_PATH, SelectedPath);
}

bool LauncherDialog::OnInitDialog() {
    Dialog::OnInitDialog();  // binds the controls, shows the empty path
    VERROW_MARK("init: data exchange");

    HWND self = Handle();
    SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
    SendMessageW(self, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    VERROW_MARK("init: icons");

    // The images go in before the columns: the list then has no header yet to lay out
    // again for the style and the image list (nothing of it shows before the window).
    ImageList.LoadStrip(IDB_LIST_FIGURES, kFigureWidth, kFiguresGrow, kFiguresMask);
    VERROW_MARK("init: image list loaded");
    List.UseImages(ImageList);
    VERROW_MARK("init: icons, image list");

    List.InsertColumns();
    VERROW_MARK("init: columns");

    PathParts exe = SplitPath(GetOs().ModuleFileName());
    ExeFolder = exe.drive + exe.dir;

    Drive = exe.drive;
    SettingsPath = exe.drive + exe.dir + kSettingsFileName;

    List.SetExtendedStyles();
    VERROW_MARK("init: extended styles");

    // Pictures: ADD, DEL, Drive, EDIT, RUN, CONF.
    const std::array<std::pair<ui::Button*, int>, 6> pictures{{{&AddButton, IDB_BUTTON_ADD},
                                                               {&DelButton, IDB_BUTTON_DEL},
                                                               {&DriveButton, IDB_BUTTON_DRIVE},
                                                               {&EditButton, IDB_BUTTON_EDIT},
                                                               {&RunButton, IDB_BUTTON_RUN},
                                                               {&ConfButton, IDB_BUTTON_CONF}}};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        // As they are stored: no conversion to the screen's format first, a third faster.
        buttonPictures_[i].reset(static_cast<HBITMAP>(LoadImageW(ui::ResourceInstance(),
                                                                MAKEINTRESOURCEW(pictures[i].second),
                                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        pictures[i].first->SetBitmap(buttonPictures_[i].get());
    }

    VERROW_MARK("init: pictures");
    // A folder whose name code page 932 cannot hold has no path the program could find
    // its files by: it says so once, keeps the settings' defaults, loads no entries and
    // writes nothing; programs and folders can still be registered and started for the run.
    // (canStore_ was judged at the construction.)
    if (!canStore_) ui::ShowMessage(text::kProgramFolderNotInCodePage, mb::kOk | mb::kIconExclamation);

    ProgramSettings settings = canStore_ ? ReadSettings(SettingsPath, &settingsUnread_) : ProgramSettings{};
    if (!settingsUnread_) startSettings_ = settings;
    StartOpen = settings.StartOpen;
    ListStyle = settings.ListStyle;
    List.SetViewFromListStyle(ListStyle);
    VERROW_MARK("init: settings, view");

    // Fills EntryList and the list, and starts the start-up entries one by one. The rows
    // go in without a repaint and a path refresh each (OnNotify): nothing is selected
    // while the list fills, so the path field stays as empty as a refresh would leave it.
    if (canStore_) {
        EntryListView::Fill fill(List);
        EntryStore(ExeFolder, Drive).LoadAllEntries(EntryList, List, std::move(entryFiles_));
        VERROW_MARK("init: entries loaded");
    } else {
        List.FitColumns();
    }
    VERROW_MARK("init: list redrawn");

    // A timer's message comes only after the window has been painted.
    SetTimer(self, kShownTimer, USER_TIMER_MINIMUM, nullptr);

    // Not when Windows ended the session during a start-up entry's message.
    if (StartOpen && !sessionEnded_) OnDrive();

    UpdateFreeSpace();
    SetTimer(self, kFreeSpaceTimer, kFreeSpacePeriodMs, nullptr);

    // The about box has no button of its own: the system menu offers it.
    AboutDialog::AddToSystemMenu(self);
    VERROW_MARK("init: done");
    return true;
}

void LauncherDialog::CreateToolTips() {
    if (ToolTip.IsAttached()) return;
    ToolTip.Create(Handle());
    ToolTip.AddTool(ConfButton.Handle(), text::kTipConf);
    ToolTip.AddTool(DriveButton.Handle(), text::kTipDrive);
    ToolTip.AddTool(AddButton.Handle(), text::kTipAdd);
    ToolTip.AddTool(DelButton.Handle(), text::kTipDel);
    ToolTip.AddTool(EditButton.Handle(), text::kTipEdit);
    ToolTip.AddTool(RunButton.Handle(), text::kTipRun);
    VERROW_MARK("tooltips");
}

bool LauncherDialog::PreTranslateMessage(MSG& message) {
    if (message.message >= WM_MOUSEMOVE && message.message <= WM_LBUTTONUP) {
        CreateToolTips();
        if (ToolTip.IsAttached()) ToolTip.RelayEvent(message);
    }
    return Dialog::PreTranslateMessage(message);
}

bool LauncherDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_RUN:
        OnRun();
        return true;
    case IDC_ADD:
        OnAdd();
        return true;
    case IDC_EDIT:
        OnEdit();
        return true;
    case IDC_DEL:
        OnDel();
        return true;
    case IDC_DRIVE:
        OnDrive();
        return true;
    case IDC_CONF:
        OnConf();
        return true;
    default:
        return false;  // IDOK and IDCANCEL end the window as every dialog's do
    }
}

bool LauncherDialog::OnNotify(int id, NMHDR& header, LRESULT& result) {
    if (id != IDC_LIST) return false;
    switch (header.code) {
    case LVN_ITEMCHANGED:
        result = 0;
        if (!List.Filling()) OnItemchangedList();
        return true;
    case NM_DBLCLK:
        result = 0;
        OnDblclkList();
        return true;
    case LVN_GETDISPINFOW:
        List.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
        result = 0;
        return true;
    case LVN_DELETEALLITEMS:
        // Nobody needs a notice per item when the list empties (it does as the window
        // goes): a thousand of them would only slow the end of the run.
        result = TRUE;
        return true;
    default:
        return false;
    }
}

void LauncherDialog::OnItemchangedList() {
    UpdateData(true);
    SelectedPath.clear();
    int item = List.SelectedItem();
    if (item >= 0) SelectedPath = List.ItemText(item, 1);
    UpdateData(false);
}

void LauncherDialog::OnDblclkList() { OnRun(); }

void LauncherDialog::OnTimer(UINT_PTR id) {
    if (id == kShownTimer) {
        KillTimer(Handle(), kShownTimer);
        CreateToolTips();
        GetOs().CloseFilesRead();
        // Not before the window shows: the question takes a millisecond or more on some systems.
        std::uint32_t serial = 0;
        if (canStore_ && !Drive.empty() && GetOs().VolumeSerial(Drive + "\\", serial)) startVolume_ = serial;
    } else {
        UpdateFreeSpace();
    }
}

void LauncherDialog::UpdateFreeSpace() {
    // A path without a drive letter (a network share) is asked about by its folder.
    const std::string& where = Drive.empty() ? ExeFolder : Drive;
    std::optional<FreeSpaceFigures> figures = NextFreeSpace(GetOs(), where, !FreeSpaceBar.Label.empty());
    if (!figures) return;
    // The label first: the repaint that the range and position cause draws it.
    FreeSpaceBar.Label = figures->label;
    FreeSpaceBar.SetRange32(0, figures->total);
    FreeSpaceBar.SetPos(figures->free);
}

bool LauncherDialog::OnPaint() {
    HWND self = Handle();
    if (!IsIconic(self)) return false;
    ui::PaintDC dc(self);
    SendMessageW(self, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Handle()), 0);
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(self, &client);
    int x = (client.right - client.left - cx + 1) / 2;
    int y = (client.bottom - client.top - cy + 1) / 2;
    DrawIcon(dc.Handle(), x, y, Icon);
    return true;
}

bool LauncherDialog::OnSysCommand(UINT command, LPARAM) {
    if (!AboutDialog::IsOpenCommand(command)) return false;
    AboutDialog about;
    about.DoModal();
    return true;
}

void LauncherDialog::SaveAll() {
    if (saved_) return;
    saved_ = true;
    if (!canStore_) {
        EntryList.TakeAll();  // released unwritten, as was said at the start
        return;
    }
    // The settings first, then every entry (each destroyed after it has been written).
    // The volume is asked about once, and only when something is to be written (a file
    // that holds what would be written already is not, even on another volume).
    VERROW_MARK("close: save");
    std::optional<bool> sameVolume;
    auto mayWrite = [&] {
        if (!sameVolume) sameVolume = SameVolumeAsAtStart();
        return *sameVolume;
    };
    // Settings that could not be read at the start (the file held by another copy just
    // then) are the defaults only in this run: written, they would replace the user's.
    // A failed write loses nothing when the settings are still those the file (or its
    // absence) gave at the start: a write-protected stick is not told of at every close.
    const bool unchanged = startSettings_ && (StartOpen != 0) == (startSettings_->StartOpen != 0) &&
                           ListStyle == startSettings_->ListStyle;
    bool settingsSaved =
        settingsUnread_ || WriteSettings(SettingsPath, ProgramSettings{StartOpen, ListStyle}, mayWrite) || unchanged;
    VERROW_MARK("close: settings written");
    EntryStore store(ExeFolder, Drive);
    std::vector<std::string> unsaved = store.SaveAllEntries(EntryList, mayWrite);
    VERROW_MARK("close: entries saved and freed");
    unsavedMessage_ = UnsavedReport(unsaved, !settingsSaved, !unsaved.empty() && store.ConfigFolderGone());
}

bool LauncherDialog::SameVolumeAsAtStart() const {
    std::uint32_t serial = 0;
    return !startVolume_ || !GetOs().VolumeSerial(Drive + "\\", serial) || serial == *startVolume_;
}

void LauncherDialog::OnDestroy() { SaveAll(); }

bool LauncherDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_ENDSESSION && wParam) OnEndSession();
    return false;  // the system's default handling follows
}

void LauncherDialog::OnEndSession() {
    // The system may end the process as soon as this returns, with the window still
    // open: save now, as closing does. Nobody is left to read what could not be saved.
    SaveAll();
    sessionEnded_ = true;
    List.StopFilling();  // if the entries are still loading, under a start's message
    unsavedMessage_.clear();
    EndDialog(IDCANCEL);
}

void LauncherDialog::ReportUnsaved() {
    if (unsavedMessage_.empty()) return;
    std::string text = std::move(unsavedMessage_);
    unsavedMessage_.clear();
    ui::ShowMessage(text, mb::kOk | mb::kIconExclamation);
}

}  // namespace verrow
