// Three ways of loading the same entry files: the program's own store, the platform's
// profile functions called key by key, and merely reading the bytes.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "core/launch_entry.h"
#include "core/var_map.h"
#include "storage/entry_store.h"

namespace verrow::bench {
namespace {

constexpr std::size_t kTextBuffer = 260;
constexpr std::size_t kValueBuffer = 26000;

std::string Padded(int number, std::size_t digits) {
    std::string text = std::to_string(number);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

std::string EnvKey(int number, const char* suffix) { return "ENV" + Padded(number, 4) + suffix; }

std::string Hex4(int number) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, number >>= 4) text[static_cast<std::size_t>(i)] = kDigits[number & 15];
    return text;
}

std::string ConfigFolder(const std::string& exeFolder) { return exeFolder + kConfigFolderName; }

// The files of the configuration folder in the platform's order, as the store finds them.
std::vector<std::string> EntryFiles(const std::string& folder) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA data;
    ScopedFind find(FindFirstFileA((folder + "\\*.vrc").c_str(), &data));
    if (!find) return paths;
    do {
        paths.push_back(folder + "\\" + data.cFileName);
    } while (FindNextFileA(find.get(), &data));
    return paths;
}

// FNV-1a over the texts of an entry, each ended by a zero byte.
class Digest {
public:
    void Add(const std::string& text) {
        for (char c : text) Byte(static_cast<unsigned char>(c));
        Byte(0);
    }
    void Add(int value) { Add(std::to_string(value)); }
    std::uint64_t Value() const { return hash_; }

private:
    void Byte(unsigned char c) { hash_ = (hash_ ^ c) * 1099511628211ull; }
    std::uint64_t hash_ = 1469598103934665603ull;
};

void AddEntry(Digest& digest, const std::string& name, const std::string& path, const std::string& cmdOpt,
              const std::string& currentDir, int useCustomEnv, int startUp, int overWriteEnv,
              const VarMap& variables) {
    digest.Add(name);
    digest.Add(path);
    digest.Add(cmdOpt);
    digest.Add(currentDir);
    digest.Add(useCustomEnv);
    digest.Add(startUp);
    digest.Add(overWriteEnv);
    for (const auto& variable : variables) {
        digest.Add(variable.first);
        digest.Add(variable.second);
    }
}

class CountingSink : public EntrySink {
public:
    void AppendRow(const std::string&, int, const std::string&, EntryCollection::Position) override { ++rows; }
    void FitColumns() override {}
    std::size_t rows = 0;
};

}  // namespace

std::uint64_t GenerateEntries(const std::string& exeFolder, int files, int variables) {
    const std::string folder = ConfigFolder(exeFolder);
    if (!PrepareFolder(folder)) return 0;
    std::uint64_t total = 0;
    for (int i = 1; i <= files; ++i) {
        const std::string app = "app" + Padded(i, 4);
        std::string text;
        text.reserve(static_cast<std::size_t>(variables) * 96 + 256);
        text += "[MoxEnvExec]\r\n";
        text += "AppName=アプリ " + Padded(i, 4) + "\r\n";
        text += "AppPath=\\tools\\" + app + "\\" + app + ".exe\r\n";
        text += "CmdOpt=\r\nCurrentDir=\r\n";
        text += variables > 0 ? "UseCustomEnv=1\r\nOverWriteEnv=1\r\n" : "UseCustomEnv=0\r\nOverWriteEnv=0\r\n";
        text += "StartUp=0\r\n";
        if (variables > 0) text += "[MoxEnvExec_Env]\r\n";
        for (int n = 0; n < variables; ++n) {
            std::string name = n == 0 ? std::string("_VERROW_DRV_") : "APP" + Padded(i, 4) + "_VAR_" + Padded(n, 4);
            std::string value = n == 0 ? std::string("E:")
                                       : "%_VERROW_DRV_%\\tools\\" + app + "\\data\\set" + Padded(n, 4) + ";%PATH%";
            text += EnvKey(n, "_Key=") + name + "\r\n";
            text += EnvKey(n, "_Val=") + value + "\r\n";
        }
        // Names as the program gives new entry files: VER, four hexadecimal digits, .vrc.
        if (!WriteWholeFile(folder + "\\VER" + Hex4(i) + ".vrc", text)) return 0;
        total += text.size();
    }
    return total;
}

LoadResult LoadWithStore(const std::string& exeFolder, const std::string& drive) {
    LoadResult result;
    EntryCollection entries;
    CountingSink sink;
    Stopwatch watch;
    EntryStore(exeFolder, drive).LoadAllEntries(entries, sink);
    // The files a load leaves open count in it, as the raw read closes each of its own.
    GetOs().CloseFilesRead();
    result.ms = watch.Ms();
    // The variables stay parts of their files' texts until first used: that use, timed
    // apart, as every entry is started or edited.
    std::vector<std::unique_ptr<LaunchEntry>> all = entries.TakeAll();
    Stopwatch taking;
    for (const std::unique_ptr<LaunchEntry>& entry : all) result.variables += entry->GetEnvMap().size();
    result.takeMs = taking.Ms();

    Digest digest;
    for (const std::unique_ptr<LaunchEntry>& entry : all) {
        AddEntry(digest, entry->GetAppName(), entry->GetAppPath(), entry->GetCmdOpt(), entry->GetCurrentDir(),
                 entry->GetUseCustomEnv(), entry->GetStartUp(), entry->GetOverWriteEnv(), entry->GetEnvMap());
        ++result.entries;
    }
    result.digest = digest.Value();
    if (sink.rows != result.entries) result.entries = 0;  // the store lost rows: fail the check
    return result;
}

LoadResult LoadWithPlatform(const std::string& exeFolder) {
    struct Entry {
        std::string name, path, cmdOpt, currentDir;
        int useCustomEnv = 0, startUp = 0, overWriteEnv = 0;
        VarMap variables;
    };
    LoadResult result;
    std::vector<std::unique_ptr<Entry>> entries;
    std::vector<char> text(kTextBuffer);
    std::vector<char> value(kValueBuffer);

    Stopwatch watch;
    for (const std::string& file : EntryFiles(ConfigFolder(exeFolder))) {
        const char* path = file.c_str();
        auto readText = [&](const char* key) {
            GetPrivateProfileStringA(kEntrySection, key, "", text.data(), kTextBuffer, path);
            return std::string(text.data());
        };
        auto entry = std::make_unique<Entry>();
        entry->name = readText("AppName");
        entry->path = readText("AppPath");
        entry->cmdOpt = readText("CmdOpt");
        entry->currentDir = readText("CurrentDir");
        entry->useCustomEnv = static_cast<int>(GetPrivateProfileIntA(kEntrySection, "UseCustomEnv", 0, path));
        entry->startUp = static_cast<int>(GetPrivateProfileIntA(kEntrySection, "StartUp", 0, path));
        entry->overWriteEnv = static_cast<int>(GetPrivateProfileIntA(kEntrySection, "OverWriteEnv", 0, path));
        for (int n = 0;; ++n) {
            GetPrivateProfileStringA(kEnvSection, EnvKey(n, "_Key").c_str(), "", text.data(), kTextBuffer, path);
            GetPrivateProfileStringA(kEnvSection, EnvKey(n, "_Val").c_str(), "", value.data(), kValueBuffer, path);
            if (text[0] == '\0') break;
            std::string name(text.data());
            std::string replacement;
            if (DriveValueFilter(name, value.data(), replacement)) {
                entry->variables.Set(name, replacement);
            } else {
                entry->variables.Set(name, value.data());
            }
        }
        entries.push_back(std::move(entry));
    }
    result.ms = watch.Ms();

    Digest digest;
    for (const auto& entry : entries) {
        AddEntry(digest, entry->name, entry->path, entry->cmdOpt, entry->currentDir, entry->useCustomEnv,
                 entry->startUp, entry->overWriteEnv, entry->variables);
        result.variables += entry->variables.size();
    }
    result.entries = entries.size();
    result.digest = digest.Value();
    return result;
}

LoadResult LoadRawBytes(const std::string& exeFolder) {
    LoadResult result;
    std::vector<char> buffer;
    Stopwatch watch;
    for (const std::string& file : EntryFiles(ConfigFolder(exeFolder))) {
        ScopedHandle handle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) continue;
        DWORD size = GetFileSize(handle.get(), nullptr);
        if (size == INVALID_FILE_SIZE) continue;
        if (buffer.size() < size) buffer.resize(size);
        DWORD read = 0;
        if (size > 0 && !ReadFile(handle.get(), buffer.data(), size, &read, nullptr)) continue;
        result.bytes += read;
        ++result.entries;
    }
    result.ms = watch.Ms();
    return result;
}

}  // namespace verrow::bench
