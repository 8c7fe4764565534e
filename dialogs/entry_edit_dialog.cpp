#include "dialogs/entry_edit_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <utility>

#include "base/cp932.h"
#include "base/path.h"
#include "core/environment.h"
#include "core/launch_entry.h"
#include "dialogs/hint_dialog.h"
#include "platform/os.h"
#include "platform/profile.h"
#include "platform/ui/app.h"
#include "platform/ui/message.h"
#include "platform/win32/system_function.h"
#include "platform/win32_text.h"
#include "resources/texts.h"

namespace verrow {
namespace {

// A name the box takes must survive the next start whole.
static_assert(EntryEditDialog::kNameLimit <= kNameReadLimit, "entry files keep the whole name");

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;  // 3

// The structure without its trailing reserved fields, as every version of the dialog
// accepts it.
constexpr DWORD kOpenFileNameSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
static_assert(sizeof(void*) != 4 || kOpenFileNameSize == 76, "the 76-byte structure");

// The pickers' DLLs (and COM's) are bound at their first use, not at every start of the
// program (system_function.h); a function that cannot be had acts as a cancelled picker.
template <typename Function>
Function Ole32(const char* name) {
    return SystemFunction<Function>(L"ole32.dll", name);
}
template <typename Function>
Function Shell32(const char* name) {
    return SystemFunction<Function>(L"shell32.dll", name);
}

// The folder browser wants COM on its thread; the program may not have started it.
struct UninitializeCom {
    void operator()(bool) const {
        static const auto uninitialize = Ole32<decltype(&::CoUninitialize)>("CoUninitialize");
        if (uninitialize) uninitialize();
    }
};
using ScopedCom = Scoped<bool, UninitializeCom>;

bool StartCom() {
    static const auto initialize = Ole32<decltype(&::CoInitializeEx)>("CoInitializeEx");
    return initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
}

struct FreeTaskMemory {
    void operator()(ITEMIDLIST* item) const {
        static const auto release = Ole32<decltype(&::CoTaskMemFree)>("CoTaskMemFree");
        if (release) release(item);
    }
};

// The file-system path of a shell item; false when it has none.
bool PathOfItem(LPCITEMIDLIST item, std::wstring& path) {
    static const auto pathOf = Shell32<decltype(&::SHGetPathFromIDListW)>("SHGetPathFromIDListW");
    wchar_t buffer[MAX_PATH] = {};
    if (!pathOf || !pathOf(item, buffer)) return false;
    path = buffer;
    return true;
}

// Opens the browser on the launch drive's root and keeps its OK button disabled while the
// selection lies on another drive. `data` is the initial folder (UTF-16).
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        std::wstring path;
        if (PathOfItem(reinterpret_cast<LPCITEMIDLIST>(lParam), path)) {
            // Only the drive is judged here, and a drive letter is the same in any code page;
            // a folder whose name cannot be taken is refused once it is chosen.
            LPARAM allowed = EntryEditDialog::FolderAllowed(FromSystemText(path), LaunchDrive) ? TRUE : FALSE;
            SendMessageW(browser, BFFM_ENABLEOK, 0, allowed);
            // Some shells judge the selection themselves after this callback and enable OK
            // again (wine does): the posted copy comes after that and has the last word.
            PostMessageW(browser, BFFM_ENABLEOK, 0, allowed);
        }
    }
    return 0;
}

// The process's current folder, or empty when it cannot be had.
std::wstring CurrentFolder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    DWORD length = size ? GetCurrentDirectoryW(size, &folder[0]) : 0;
    folder.resize(length < size ? length : 0);
    return folder;
}

// False, after saying why, for a name that no variable can have. An entry file ends its
// variables at the first empty name: such a variable and all after it would be lost at
// the next start. The environment splits its strings at the first "=" after the first
// byte (=C: is the system's own kind of name): A=B would reach the program as A.
bool NameUsable(const std::string& name) {
    if (name.empty()) {
        ui::ShowMessage(text::kEnvNameEmpty);
        return false;
    }
    if (name.find('=', 1) != std::string::npos) {
        ui::ShowMessage(text::kEnvNameWithEquals);
        return false;
    }
    return true;
}

}  // namespace

EntryEditDialog::Pick EntryEditDialog::PickedPath(std::wstring_view picked, std::string& path) {
    bool exact = false;
    std::string converted = FromSystemText(picked, exact);
    if (!exact) return Pick::kNotInCodePage;
    // The wide pickers hold 259 characters, which may be up to 518 bytes here.
    if (converted.size() >= MAX_PATH) return Pick::kTooLong;
    path = std::move(converted);
    return Pick::kTaken;
}

bool EntryEditDialog::TakePicked(std::wstring_view picked) {
    Pick result = PickedPath(picked, AppPath);
    if (result == Pick::kNotInCodePage) ui::ShowMessage(text::kPickedNameNotInCodePage);
    return result == Pick::kTaken;
}

bool EntryEditDialog::FolderAllowed(const std::string& path, const std::string& launchDrive) {
    return cp932::EqualsNoCase(SplitPath(path).drive, launchDrive);
}

std::string EntryEditDialog::ShownValue(const std::string& stored) {
    std::string shown = stored;
    cp932::ReplaceAll(shown, ";", "\r\n");
    return shown;
}

std::string EntryEditDialog::StoredValue(const std::string& shown) {
    // A pasted value may end its lines the way another system does. CR and LF are never
    // trail bytes, so a byte-wise walk is safe.
    std::string stored;
    stored.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        char c = shown[i];
        if (c != '\r' && c != '\n') {
            stored += c;
            continue;
        }
        stored += ';';
        if (c == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
    }
    return stored;
}

void EntryEditDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Control(IDC_ENV_APPLY, ApplyButton);
    dx.Control(IDC_ENV_DELETE, DeleteButton);
    dx.Control(IDC_ENV_ADD, AddButton);
    dx.Control(IDC_ENV_LIST, EnvList);
    dx.Control(IDC_PICK_FOLDER, FolderButton);
    dx.Control(IDC_PICK_FILE, FileButton);
    dx.Text(IDC_NAME, AppName, kNameLimit);
    dx.Text(IDC_PATH, AppPath, kPathLimit);
    dx.Check(IDC_START_UP, StartUp);
    dx.Text(IDC_ENV_NAME, EnvName, kEnvNameLimit);
    dx.Text(IDC_ENV_VALUE, EnvValue, kEnvValueLimit, ui::DataExchange::Count::kLineBreakAsOne);
    dx.Check(IDC_USE_CUSTOM_ENV, UseCustomEnv);
    dx.Check(IDC_OVERWRITE_ENV, OverWriteEnv);
}

bool EntryEditDialog::OnInitDialog() {
    Dialog::OnInitDialog();

    fileImage_.reset(LoadBitmapW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDB_BUTTON_ADD)));
    folderImage_.reset(LoadBitmapW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDB_BUTTON_FOLDER_ADD)));
    FileButton.SetBitmap(fileImage_.get());
    FolderButton.SetBitmap(folderImage_.get());

    SeedAndList();

    if (Tips.Create(Handle())) {
        Tips.AddTool(Item(IDC_PICK_FILE), text::kTipPickFile);
        Tips.AddTool(Item(IDC_PICK_FOLDER), text::kTipPickFolder);
        Tips.AddTool(Item(IDC_USE_CUSTOM_ENV), text::kTipCustomEnv);
        Tips.AddTool(Item(IDC_OVERWRITE_ENV), text::kTipOverwrite);
        Tips.AddTool(Item(IDC_START_UP), text::kTipStartUp);
    }

    UpdateButtons();
    return true;  // the name box, first tab stop, gets the focus
}

bool EntryEditDialog::PreTranslateMessage(MSG& message) {
    if (message.message >= WM_MOUSEMOVE && message.message <= WM_LBUTTONUP && Tips.IsAttached()) {
        Tips.RelayEvent(message);
    }
    return Dialog::PreTranslateMessage(message);
}

bool EntryEditDialog::OnCommand(int id, int code, HWND) {
    if (id == IDC_ENV_LIST) {
        if (code != LBN_SELCHANGE) return false;
        OnSelchangeEnvList();
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_PICK_FILE: OnPickFile(); return true;
    case IDC_PICK_FOLDER: OnPickFolder(); return true;
    case IDC_ENV_APPLY: OnApply(); return true;
    case IDC_ENV_ADD: OnAdd(); return true;
    case IDC_ENV_DELETE: OnDelete(); return true;
    case IDC_HINT: OnHint(); return true;
    default: return false;
    }
}

void EntryEditDialog::OnOK() {
    // A field that cannot be taken has been named; the checks below would add messages
    // about what was cut from it, and the framework's taking would name it again.
    if (!UpdateData(true)) return;
    // The path's box shows what is stored (and the framework's taking then keeps it).
    auto showPath = [this] { SetDlgItemTextW(Handle(), IDC_PATH, ToSystemText(AppPath).c_str()); };
    // A path pasted in quotes or a folder typed with a separator at its end is tidied.
    if (TidyEnteredPath(AppPath)) showPath();
    if (AppName.empty() || AppPath.empty()) return;
    // One that counts from current folders (E:tools, tools) is looked for as the system
    // reads it and stored whole, since a later start would read it elsewhere; one without
    // a drive (\tools) is on the launch drive, as a start reads it. The box takes the whole
    // form only once found, so that a mistyped path stays as typed.
    const std::string onDrive = OnLaunchDrive(AppPath, LaunchDrive);
    const std::string whole = IsWholePath(onDrive) ? onDrive : GetOs().FullPath(onDrive);
    if (!GetOs().FindFile(whole, nullptr)) {
        ui::ShowMessage(text::kFileMissing);
        return;
    }
    if (whole != AppPath) {
        AppPath = whole;
        showPath();
    }
    Dialog::OnOK();  // takes again; a length limit keeps the dialog open
}

void EntryEditDialog::OnPickFile() {
    UpdateData(true);
    std::wstring title = ToSystemText(text::kPickFileTitle);
    std::wstring folder = ToSystemText(LaunchDrive + "\\");
    wchar_t file[MAX_PATH] = L"*.*";
    OPENFILENAMEW request{};
    request.lStructSize = kOpenFileNameSize;
    request.hwndOwner = Handle();
    request.hInstance = ui::ResourceInstance();
    request.lpstrFilter = L"*.*\0*.*\0";
    request.nFilterIndex = 0;
    request.lpstrFile = file;
    request.nMaxFile = MAX_PATH;
    request.lpstrInitialDir = folder.c_str();
    request.lpstrTitle = title.c_str();
    // The picker would otherwise move the current folder to the picked file's, and a
    // relative working folder (".") would then be looked for there. Not every system keeps
    // the folder for the flag (its documentation calls it ineffective for this picker), so
    // the folder is put back by hand as well.
    request.Flags = OFN_NOCHANGEDIR;
    const std::wstring keep = CurrentFolder();
    static const auto pick = SystemFunction<decltype(&::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    ScopedHook help = ui::WatchHelpKey();
    const bool picked = pick && pick(&request);
    if (!keep.empty()) SetCurrentDirectoryW(keep.c_str());
    if (picked && TakePicked(file)) {
        if (AppName.empty()) AppName = SplitPath(AppPath).base;
    }
    UpdateData(false);
}

void EntryEditDialog::OnPickFolder() {
    UpdateData(true);
    ScopedCom com(StartCom());
    std::wstring prompt = ToSystemText(text::kPickFolderPrompt);
    std::wstring initial = ToSystemText(LaunchDrive + "\\");
    BROWSEINFOW browse{};
    browse.hwndOwner = Handle();
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = kBrowseFlags;
    browse.lpfn = &BrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    static const auto browseFor = Shell32<decltype(&::SHBrowseForFolderW)>("SHBrowseForFolderW");
    ScopedHook help = ui::WatchHelpKey();
    Scoped<ITEMIDLIST*, FreeTaskMemory> item(browseFor ? browseFor(&browse) : nullptr);
    std::wstring path;
    if (!item || !PathOfItem(item.get(), path) || !TakePicked(path)) return;
    if (AppName.empty()) {
        std::size_t slash = cp932::FindLastBackslash(AppPath);
        if (slash != std::string::npos) AppName = AppPath.substr(slash + 1);
    }
    UpdateData(false);
}

void EntryEditDialog::OnHint() {
    HintDialog hint;  // no parent: the active window, this editor, owns it
    hint.DoModal();
}

// --- The environment area.

void EntryEditDialog::SeedAndList() {
    if (EnvMap.empty()) {
        std::vector<std::u16string> originals;
        SnapshotEnvironment(EnvMap, &originals);
        // An entry file would keep a variable that code page 932 cannot hold in another
        // form (a profile folder Zoë as Zoe or Zo?), and one longer than a name or value,
        // or with a line break in it, is read back cut (a PATH cut short); left out, a
        // merged start hands it on as the launcher has it.
        auto cut = [](const std::string& s) { return ProfileWriter::Kept(s).size() != s.size(); };
        std::vector<std::string> unheld;
        std::size_t at = 0;
        for (const auto& variable : EnvMap) {
            if ((at < originals.size() && !originals[at].empty()) || variable.first.size() > kEnvNameLimit ||
                variable.second.size() > kEnvValueLimit || cut(variable.first) || cut(variable.second)) {
                unheld.push_back(variable.first);
            }
            ++at;
        }
        for (const std::string& name : unheld) EnvMap.Remove(name);
        EnvMap.Set(kDriveVariable, LaunchDrive);
    }
    for (const auto& variable : EnvMap) AddRow(variable.first);
}

void EntryEditDialog::AddRow(const std::string& name) {
    int row = EnvList.AddString(name);
    if (row < 0) return;
    listedNames_.push_back(name);
    EnvList.SetItemData(row, static_cast<LPARAM>(listedNames_.size()));
}

std::string EntryEditDialog::RowName(int row) const {
    LPARAM data = EnvList.ItemData(row);
    if (data > 0 && static_cast<std::size_t>(data) <= listedNames_.size()) {
        return listedNames_[static_cast<std::size_t>(data) - 1];
    }
    return EnvList.Text(row);
}

void EntryEditDialog::UpdateButtons() {
    int selected = EnvList.SelCount();
    AddButton.Enable(true);
    DeleteButton.Enable(selected >= 1);
    ApplyButton.Enable(selected == 1);
}

void EntryEditDialog::OnSelchangeEnvList() {
    UpdateData(true);
    UpdateButtons();
    int row = EnvList.CaretIndex();
    if (row < 0 || row >= EnvList.Count()) {
        EnvValue.clear();
    } else {
        EnvName = RowName(row);
        std::string value;
        EnvMap.Lookup(EnvName, value);
        EnvValue = ShownValue(value);
    }
    UpdateData(false);
}

bool EntryEditDialog::TakeVariable() {
    const std::vector<int> failed = TakeFields();
    return std::none_of(failed.begin(), failed.end(), [](int id) { return id == IDC_ENV_NAME || id == IDC_ENV_VALUE; });
}

void EntryEditDialog::OnApply() {
    if (!TakeVariable()) return;
    if (cp932::EqualsNoCase(EnvName, kDriveVariable)) {
        ui::ShowMessage(text::kDriveVarNoChange);
        return;
    }
    if (!NameUsable(EnvName)) return;
    EnvMap.Set(EnvName, StoredValue(EnvValue));
}

void EntryEditDialog::OnAdd() {
    if (!TakeVariable()) return;
    if (!NameUsable(EnvName)) return;
    if (EnvList.FindStringExact(-1, EnvName) >= 0) {
        ui::ShowMessage(text::kEnvNameTaken);
        return;
    }
    AddRow(EnvName);
    EnvMap.Set(EnvName, StoredValue(EnvValue));
}

void EntryEditDialog::OnDelete() {
    std::vector<int> rows = EnvList.SelItems();
    // From the highest row down, so the rows still to go keep their positions.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) DeleteRow(*row);
}

void EntryEditDialog::DeleteRow(int row) {
    UpdateData(true);
    if (row < 0 || row >= EnvList.Count()) return;
    std::string name = RowName(row);
    if (cp932::EqualsNoCase(name, kDriveVariable)) {
        ui::ShowMessage(text::kDriveVarNoDelete);
    } else {
        EnvMap.Remove(name);
        EnvList.DeleteString(row);
        EnvName.clear();
        EnvValue.clear();
    }
    UpdateData(false);
}

}  // namespace verrow
