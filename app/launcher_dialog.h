// The main window (template IDD_MAIN): the entry list, six picture buttons for the
// commands, the path of the selected entry, the free-space bar and the title picture.
// It owns every registration of the run through EntryList.
//
// Life: OnInitDialog reads the settings and every entry file, starts the start-up
// entries, optionally opens the drive in Explorer and starts the free-space timer; the
// window then serves the user until Escape, the close box, or Enter without a focused
// command button ends it; OnDestroy writes the settings file and then every new or
// changed entry. What could not be written is told once by ReportUnsaved, which the
// application calls after DoModal, when the window is gone. When Windows ends the session
// instead (WM_ENDSESSION), OnEndSession writes the same, says nothing and ends the window.
//
// Commands: OnCommand routes each button to its handler; the handlers live in
// commands.cpp, one member each (OnRun, OnDrive, ...). A command that acts on the
// selection finds it with List.SelectedItem() and its entry with
// EntryList.At(List.ItemData(item)).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/entry_list_view.h"
#include "app/labeled_progress.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/scoped.h"
#include "resources/resource.h"
#include "storage/entry_store.h"
#include "storage/settings.h"

namespace verrow {

class LauncherDialog : public ui::Dialog {
public:
    static constexpr UINT_PTR kFreeSpaceTimer = 1;
    static constexpr UINT kFreeSpacePeriodMs = 1000;

    explicit LauncherDialog(HWND parent = nullptr);
    ~LauncherDialog() override = default;

    bool PreTranslateMessage(MSG& message) override;

    // Shows the message about what the end of the run could not save, once; nothing when
    // everything was saved (or the window has not closed yet).
    void ReportUnsaved();

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;
    bool OnPaint() override;
    void OnDestroy() override;
    bool OnSysCommand(UINT command, LPARAM lParam) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HICON OnQueryDragIcon() override { return Icon; }

private:
    // Once, when the window has been painted: the buttons' tips, which nothing shows
    // before the pointer has rested on a button (the first pointer message makes them at
    // once, should it come earlier), and the entry files that reading left open closed.
    static constexpr UINT_PTR kShownTimer = 2;
    void CreateToolTips();
    // The list.
    void OnItemchangedList();
    void OnDblclkList();
    // The commands (commands.cpp).
    void OnRun();
    void OnAdd();
    void OnEdit();
    void OnDel();
    void OnDrive();
    void OnConf();
    // The free-space display.
    void UpdateFreeSpace();
    // Windows ends the session: the process may be ended as soon as this returns, without
    // the window being destroyed. (WM_QUERYENDSESSION takes the default: it may end.)
    void OnEndSession();
    // The end of the run: the settings, then every entry (released after it is written).
    void SaveAll();
    // Whether the launch drive still holds the volume found there when the window showed.
    // A stick pulled and put back gets another letter, and its old one goes to the next
    // stick put in: the files of that one are not Verrow's to replace or delete. A volume
    // that cannot be asked about (a drive gone: its writes fail by themselves) counts as
    // the same.
    bool SameVolumeAsAtStart() const;

    std::string ExeFolder;                 // E:\tools\ for E:\tools\Verrow.exe
    LabeledProgressCtrl FreeSpaceBar;      // IDC_FREE_SPACE
    ui::Button ConfButton;                 // IDC_CONF
    ui::Button RunButton;                  // IDC_RUN
    ui::Button AddButton;                  // IDC_ADD
    ui::Button EditButton;                 // IDC_EDIT
    ui::Button DriveButton;                // IDC_DRIVE
    ui::Button DelButton;                  // IDC_DEL
    EntryListView List;                    // IDC_LIST
    std::string SelectedPath;              // the text of field IDC_SELECTED_PATH
    HICON Icon = nullptr;                  // IDI_VERROW: shared, never destroyed
    int ListStyle = 0;
    int StartOpen = 0;
    std::string Drive;                     // E:, or empty for a path without a drive
    std::string SettingsPath;              // ExeFolder + verrow.ini
    ui::ImageSet ImageList;                // the list's two figures
    EntryCollection EntryList;             // owns the entries
    ui::ToolTipWindow ToolTip;             // the buttons' tips
    // The window's own state beyond its data (named as every other private member is):
    // the buttons' pictures, released after the window has gone, and what could not be saved.
    std::array<ScopedGdi<HBITMAP>, 6> buttonPictures_;
    std::string unsavedMessage_;
    EntryStore::EntryFiles entryFiles_;  // found and being read since the construction
    bool saved_ = false;         // SaveAll has run: EntryList is empty for good
    bool sessionEnded_ = false;  // ... because Windows ends the session
    bool canStore_ = true;       // the program's folder can be named: files are read and written
    bool settingsUnread_ = false;  // verrow.ini could not be read, and CONF has not chosen since
    std::optional<ProgramSettings> startSettings_;  // as verrow.ini (or its absence) gave them
    std::optional<std::uint32_t> startVolume_;  // the launch drive's volume serial, once shown
};

}  // namespace verrow
