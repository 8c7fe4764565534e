#include "platform/win32/win32_os.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/path.h"
#include "platform/scoped.h"
#include "platform/ui/app.h"
#include "platform/win32/read_ahead.h"
#include "platform/win32/system_function.h"
#include "platform/win32_text.h"

// <windows.h> maps these names to their A/W variants; the members keep the plain names.
#undef CreateDirectory
#undef DeleteFile
#undef ReplaceFile

namespace verrow {
namespace {

// Larger files are not read into memory: no entry or settings file comes near this.
constexpr ULONGLONG kMaxReadSize = 64ull * 1024 * 1024;

// The first file that matches `pattern`, with its data in `data`; empty when none does.
ScopedFind FindFirst(const std::string& pattern, WIN32_FIND_DATAW& data) {
    return ScopedFind(::FindFirstFileW(ToSystemText(pattern).c_str(), &data));
}

// The UTF-16 text of the program's strings and back; wchar_t is UTF-16 on Windows.
std::wstring WideOf(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Utf16Of(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// A folder of the file system as a path of the wide functions ("" stands for the current one).
std::wstring FolderText(const std::string& folder) { return folder.empty() ? L"." : ToSystemText(folder); }

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// The folder part of a path, with its trailing backslash ("" for a bare name).
std::string FolderOf(const std::string& path) {
    PathParts parts = SplitPath(path);
    return parts.drive + parts.dir;
}

// On most file systems a file that is open anywhere (a virus scanner, an indexer, another
// copy of the program reading it) cannot be replaced until it is closed. That is worth a
// short wait; a file that cannot be changed at all is not. Opened by nobody else, the
// probe succeeds, whatever others are allowed to share.
bool HeldByAnother(const std::wstring& path) {
    ScopedHandle probe(::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return !probe && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// At most a second for one file, and no more than `waitLeftMs` over all of them.
bool MoveWhenFree(const wchar_t* from, const std::wstring& to, DWORD flags, unsigned long& waitLeftMs) {
    constexpr unsigned long kPauseMs = 50;
    bool triedFree = false;
    for (unsigned long waited = 0;;) {
        if (::MoveFileExW(from, to.c_str(), flags)) return true;
        const DWORD error = ::GetLastError();
        bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (error == ERROR_ACCESS_DENIED) {
            busy = HeldByAnother(to);
            // Free now: its holder may have let go after the move failed, or the file cannot
            // be changed at all. One more move at once tells which.
            if (!busy && !triedFree) {
                triedFree = true;
                continue;
            }
        }
        if (!busy || waited >= 1000 || waitLeftMs < kPauseMs) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(kPauseMs);
        waited += kPauseMs;
        waitLeftMs -= kPauseMs;
    }
}

// The content goes to a temporary file in the same folder (so the final move stays on
// one volume); only a complete file is moved to `path`, replacing what is there or not
// as `moveFlags` say, and carrying `attributes` (0: the temporary file's own).
bool WriteAndMove(const std::string& path, const std::string& bytes, DWORD moveFlags, DWORD attributes,
                  unsigned long& waitLeftMs) {
    wchar_t temp[MAX_PATH] = {};
    if (!::GetTempFileNameW(FolderText(FolderOf(path)).c_str(), L"vrw", 0, temp)) return false;

    bool ok;
    {
        ScopedHandle file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        // Closed here, and its result counts: a file whose last bytes cannot be written
        // may say so only now.
        ok = file && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get()) &&
             ::CloseHandle(file.release()) != 0;
    }
    const std::wstring target = ToSystemText(path);
    if (ok) ok = MoveWhenFree(temp, target, moveFlags | MOVEFILE_WRITE_THROUGH, waitLeftMs);
    // Only once it is in place: a temporary file left behind should not be a hidden one.
    // Failing, the content is still saved.
    if (ok && attributes) ::SetFileAttributesW(target.c_str(), attributes);
    if (!ok) {
        DWORD error = ::GetLastError();
        ::DeleteFileW(temp);
        ::SetLastError(error);
    }
    return ok;
}

}  // namespace

std::string MessageCaption(std::string_view moduleFileName) {
    return SplitPath(moduleFileName).base;
}

Win32Os::Win32Os() : leftOpen_(std::make_unique<FilesLeftOpen>()) {}
Win32Os::~Win32Os() = default;

bool Win32Os::FindFile(const std::string& path, std::uint32_t* attributes) {
    // A wildcard names no file: the search would find whatever matches it ("." for
    // "folder\*"), and a start would open that instead of saying the path is not there.
    if (HasWildcard(path)) return false;
    WIN32_FIND_DATAW data;
    if (!FindFirst(path, data)) return false;
    if (attributes) *attributes = data.dwFileAttributes;
    return true;
}

std::string Win32Os::FullPath(const std::string& path) {
    const std::wstring wide = ToSystemText(path);
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    bool exact = false;
    std::string text = FromSystemText(full, exact);
    return exact ? text : path;
}

std::vector<std::string> Win32Os::ListFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    ScopedFind find = FindFirst(pattern, data);
    if (!find) return names;
    do {
        // A name that code page 932 cannot hold would name another file, or none: its
        // short name, where the file system keeps one, reaches the same file. Only one
        // that keeps the long name's extension, though: the pattern meets short names too,
        // and "Zoë.vrc~" is "ZO~1.VRC", which would pass for a file the pattern asks for.
        bool exact = false;
        std::string name = FromSystemText(data.cFileName, exact);
        if (!exact) {
            std::string shortName = data.cAlternateFileName[0] ? FromSystemText(data.cAlternateFileName, exact) : "";
            // Without look-alikes: the yen sign's would be a backslash, a folder's end.
            bool sameExtension = cp932::EqualsNoCase(SplitPath(FromSystemTextWithoutLookAlikes(data.cFileName)).ext,
                                                     SplitPath(shortName).ext);
            name = sameExtension ? std::move(shortName) : "";
        }
        if (exact && !name.empty()) names.push_back(std::move(name));
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

bool Win32Os::CreateDirectory(const std::string& path) {
    return ::CreateDirectoryW(ToSystemText(path).c_str(), nullptr) != 0;
}

bool Win32Os::DeleteFile(const std::string& path) {
    leftOpen_->CloseAll();  // a file held open would stay until it is closed
    return ::DeleteFileW(ToSystemText(path).c_str()) != 0;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, ScopedHandle& file) {
    file.reset(::CreateFileW(ToSystemText(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > kMaxReadSize) {
        return false;
    }
    // Into the room that `bytes` already has: the read-ahead hands its buffers back.
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(bytes.size() - done);
        if (!::ReadFile(file.get(), &bytes[done], want, &read, nullptr)) {
            bytes.clear();
            return false;
        }
        if (read == 0) break;  // the file shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool Win32Os::ReadFile(const std::string& path, std::string& bytes) {
    ScopedHandle file;
    return ReadWholeFile(path, bytes, file);
}

std::unique_ptr<FileSequence> Win32Os::ReadFiles(std::vector<std::string> paths) {
    // Under wine a helper thread costs the window's making about as much as reading some 80
    // entry files; below 64 they are read in turn, as they are taken.
    if (paths.size() < kReadAheadFrom) return Os::ReadFiles(std::move(paths));
    return ReadAhead(std::move(paths), *leftOpen_);
}

void Win32Os::CloseFilesRead() { leftOpen_->CloseAll(); }

bool Win32Os::ReplaceFile(const std::string& path, const std::string& bytes) {
    leftOpen_->CloseAll();  // a file held open cannot be replaced
    // Windows does not rename over a read-only file; wine would, and a file the user
    // protected would be replaced silently there.
    DWORD attributes = ::GetFileAttributesW(ToSystemText(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) return false;
    // A file its owner hid stays hidden, as the system's own replacing of a file keeps it.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    attributes &= kKept;
    if (attributes) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    return WriteAndMove(path, bytes, MOVEFILE_REPLACE_EXISTING, attributes, waitLeftMs_);
}

bool Win32Os::CreateNewFile(const std::string& path, const std::string& bytes) {
    return WriteAndMove(path, bytes, 0, 0, waitLeftMs_);
}

bool Win32Os::CreateTempFile(const std::string& folder, const std::string& prefix,
                             std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    if (!::GetTempFileNameW(ToSystemText(folder).c_str(), ToSystemText(prefix).c_str(), 0, buffer)) return false;
    path = FromSystemText(buffer);  // the folder given, and a name of letters and digits
    return true;
}

bool Win32Os::DiskFreeSpace(const std::string& directory, std::uint64_t* totalBytes,
                            std::uint64_t* freeBytes) {
    ULARGE_INTEGER available, total, totalFree;
    if (!::GetDiskFreeSpaceExW(ToSystemText(directory).c_str(), &available, &total, &totalFree)) return false;
    if (totalBytes) *totalBytes = total.QuadPart;
    if (freeBytes) *freeBytes = totalFree.QuadPart;
    return true;
}

bool Win32Os::VolumeSerial(const std::string& root, std::uint32_t& serial) {
    DWORD number = 0;
    if (!::GetVolumeInformationW(ToSystemText(root).c_str(), nullptr, 0, &number, nullptr, nullptr, nullptr, 0)) {
        return false;
    }
    serial = number;
    return true;
}

bool Win32Os::SetThreadErrorMode(std::uint32_t mode, std::uint32_t* previous) {
    DWORD before = 0;
    if (!::SetThreadErrorMode(mode, &before)) return false;
    if (previous) *previous = before;
    return true;
}

std::wstring ExecutablePath() {
    // Grows the buffer rather than cutting a long path.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

// The executable's folder with its last backslash, and its file name.
std::pair<std::wstring_view, std::wstring_view> FolderAndName(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::size_t name = slash == std::wstring_view::npos ? 0 : slash + 1;
    return {path.substr(0, name), path.substr(name)};
}

}  // namespace

std::string ExecutablePathText() {
    const std::wstring path = ExecutablePath();
    const auto [folder, name] = FolderAndName(path);
    return FromSystemText(folder) + FromSystemTextWithoutLookAlikes(name);
}

std::string Win32Os::ModuleFileName() { return ExecutablePathText(); }

bool Win32Os::ModuleFolderExact() {
    const std::wstring path = ExecutablePath();
    bool exact = false;
    FromSystemText(FolderAndName(path).first, exact);
    return exact;
}

namespace {

// Every spelling of a file's path gives the same. The index alone is not always unique
// (zero for every file on some network shares), so size and time must agree as well.
std::optional<Win32Os::FileIdentity> IdentityOf(const std::wstring& path) {
    ScopedHandle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    auto wide = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    Win32Os::FileIdentity identity;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = wide(info.nFileIndexHigh, info.nFileIndexLow);
    identity.size = wide(info.nFileSizeHigh, info.nFileSizeLow);
    identity.written = wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    if (identity.index == 0) return std::nullopt;
    return identity;
}

}  // namespace

bool Win32Os::IsThisProgram(const std::string& path) {
    if (!self_) self_ = IdentityOf(ExecutablePath());
    if (!self_) return false;
    std::optional<FileIdentity> file = IdentityOf(ToSystemText(path));
    return file && *file == *self_;
}

bool Win32Os::EnvironmentBlock(std::string& block, std::vector<std::u16string>& originals) {
    Scoped<wchar_t*, FreeEnvironmentBlock> strings(::GetEnvironmentStringsW());
    const wchar_t* p = strings.get();
    if (!p) return false;
    block.clear();
    originals.clear();
    while (*p) {
        std::wstring_view item(p);
        bool exact = false;
        block += FromSystemText(item, exact);
        block += '\0';
        originals.push_back(exact ? std::u16string() : Utf16Of(item));
        p += item.size() + 1;
    }
    block += '\0';  // the empty string that ends it
    return true;
}

bool Win32Os::StartProcess(const ProcessStart& start, std::uint32_t* error) {
    // CreateProcessW may write into the command line.
    std::wstring commandLine = ToSystemText(start.commandLine);
    commandLine.push_back(L'\0');
    // The block as UTF-16: each string from code page 932, or the launcher's own text where
    // code page 932 could not hold it.
    std::wstring environment;
    DWORD flags = start.creationFlags;
    if (start.environment) {
        std::size_t index = 0;
        for (const char* p = start.environment; *p; p += std::char_traits<char>::length(p) + 1, ++index) {
            const bool original = index < start.environmentOriginals.size() && !start.environmentOriginals[index].empty();
            environment += original ? WideOf(start.environmentOriginals[index]) : ToSystemText(p);
            environment += L'\0';
        }
        environment += L'\0';
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    std::wstring directory = ToSystemText(start.currentDirectory);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    BOOL created = ::CreateProcessW(
        ToSystemText(start.applicationName).c_str(), &commandLine[0], nullptr, nullptr,
        start.inheritHandles ? TRUE : FALSE, flags, start.environment ? &environment[0] : nullptr,
        directory.empty() ? nullptr : directory.c_str(), &startup, &info);
    if (!created) {
        if (error) *error = ::GetLastError();
        return false;
    }
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    if (start.wait) ::WaitForSingleObject(process.get(), INFINITE);
    return true;
}

namespace {

// The one bare name asked for, "explorer", is the system's own program in the Windows
// folder, and is taken from there: the shell would look next to this program and in the
// current folder first, on a stick that other machines write to. Empty when the Windows
// folder cannot be had.
std::wstring ShellFile(const std::string& file) {
    std::wstring name = ToSystemText(file);
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
    if (name.find(L'.') == std::wstring::npos) name += L".exe";
    // The shared folder, not a user's own under Terminal Services.
    UINT size = ::GetSystemWindowsDirectoryW(nullptr, 0);
    std::wstring folder(size, L'\0');
    UINT length = size ? ::GetSystemWindowsDirectoryW(&folder[0], size) : 0;
    if (length == 0 || length >= size) return std::wstring();
    folder.resize(length);
    if (folder.back() != L'\\') folder += L'\\';
    return folder + name;
}

}  // namespace

std::intptr_t Win32Os::ShellOpen(WindowHandle owner, const std::string& file,
                                 const std::string& parameters) {
    // shell32 is bound at the first request, not at start (system_function.h).
    static const auto shellExecute = SystemFunction<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (!shellExecute) return 0;  // as ShellExecute fails when out of resources
    const std::wstring shellFile = ShellFile(file);
    if (shellFile.empty()) return SE_ERR_FNF;
    HINSTANCE result = shellExecute(static_cast<HWND>(owner), L"open", shellFile.c_str(),
                                    ToSystemText(parameters).c_str(), nullptr, SW_SHOW);
    return reinterpret_cast<std::intptr_t>(result);
}

int Win32Os::ShowMessage(const std::string& text, unsigned type) {
    unsigned buttons = type & MB_TYPEMASK;
    if ((type & MB_ICONMASK) == 0 &&
        (buttons == MB_OK || buttons == MB_OKCANCEL || buttons == MB_YESNO ||
         buttons == MB_YESNOCANCEL)) {
        type |= MB_ICONEXCLAMATION;
    }
    std::wstring caption = ToSystemText(MessageCaption(ModuleFileName()));
    // A message may wait long for its answer (a start-up entry's comes while the entry
    // files are read): no file read ahead stays open meanwhile.
    leftOpen_->Pause();
    ScopedHook help = ui::WatchHelpKey();
    int answer = ::MessageBoxW(ui::DefaultOwner(), ToSystemText(text).c_str(), caption.c_str(), type);
    leftOpen_->Resume();
    return answer;
}

}  // namespace verrow
