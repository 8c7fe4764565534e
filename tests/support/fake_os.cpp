#include "tests/support/fake_os.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace verrow::test {
namespace {

// '*' and '?' as FindFirstFile takes them, without letter case.
bool WildMatch(const char* p, const char* s) {
    for (; *p; ++p) {
        if (*p == '*') {
            for (const char* t = s;; ++t) {
                if (WildMatch(p + 1, t)) return true;
                if (!*t) return false;
            }
        }
        if (!*s) return false;
        if (*p != '?' && *p != *s) return false;
        ++s;
    }
    return *s == 0;
}

}  // namespace

std::string FakeOs::Fold(const std::string& path) {
    std::string out = path;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == '/') c = '\\';
    }
    while (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

std::string FakeOs::Parent(const std::string& path) {
    std::string folded = Fold(path);
    std::size_t slash = folded.rfind('\\');
    return slash == std::string::npos ? std::string() : folded.substr(0, slash);
}

FakeOs::FakeOs() { SetEnvironment({"PATH=C:\\WINDOWS", "windir=C:\\WINDOWS"}); }

void FakeOs::AddFile(const std::string& path, const std::string& bytes) {
    std::string key = Fold(path);
    if (!files_.count(key)) order_.push_back(key);
    files_[key] = File{path, bytes};
}

void FakeOs::AddDirectory(const std::string& path) { directories_.insert(Fold(path)); }

bool FakeOs::HasFile(const std::string& path) const { return files_.count(Fold(path)) != 0; }

bool FakeOs::HasDirectory(const std::string& path) const {
    return directories_.count(Fold(path)) != 0;
}

void FakeOs::RemoveTree(const std::string& folder) {
    std::string prefix = Fold(folder) + "\\";
    auto below = [&](const std::string& key) { return key.compare(0, prefix.size(), prefix) == 0; };
    for (auto it = files_.begin(); it != files_.end();) {
        it = below(it->first) ? files_.erase(it) : std::next(it);
    }
    order_.erase(std::remove_if(order_.begin(), order_.end(), below), order_.end());
    for (auto it = directories_.begin(); it != directories_.end();) {
        it = below(*it) ? directories_.erase(it) : std::next(it);
    }
    directories_.erase(Fold(folder));
}

std::string FakeOs::FileBytes(const std::string& path) const {
    auto it = files_.find(Fold(path));
    return it == files_.end() ? std::string() : it->second.bytes;
}

std::vector<std::string> FakeOs::FilesIn(const std::string& folder) const {
    std::vector<std::string> out;
    std::string parent = Fold(folder);
    for (const std::string& key : order_) {
        if (Parent(key) == parent) out.push_back(files_.at(key).path);
    }
    return out;
}

void FakeOs::SetEnvironment(const std::vector<std::string>& strings) {
    environment_.clear();
    for (const std::string& s : strings) {
        environment_ += s;
        environment_ += '\0';
    }
    environment_ += '\0';
    hasEnvironment_ = true;
}

bool FakeOs::Writable(const std::string& path) const {
    std::string folded = Fold(path);
    if (readOnly.count(folded) || readOnly.count(Parent(folded))) return false;
    return !(failWrite && failWrite(path));
}

bool FakeOs::FindFile(const std::string& path, std::uint32_t* attributes) {
    std::string key = Fold(path);
    if (files_.count(key)) {
        if (attributes) *attributes = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
        return true;
    }
    if (directories_.count(key)) {
        if (attributes) *attributes = kAttributeDirectory;
        return true;
    }
    return false;
}

std::vector<std::string> FakeOs::ListFiles(const std::string& pattern) {
    ++listings;
    std::string folded = Fold(pattern);
    std::size_t slash = folded.rfind('\\');
    std::string folder = slash == std::string::npos ? std::string() : folded.substr(0, slash);
    std::string mask = folded.substr(slash == std::string::npos ? 0 : slash + 1);
    std::vector<std::string> names;
    auto consider = [&](const std::string& key, const std::string& shown) {
        if (Parent(key) != folder) return;
        std::string name = key.substr(folder.size() + 1);
        auto shortName = shortNames.find(key);
        if (WildMatch(mask.c_str(), name.c_str()) ||
            (shortName != shortNames.end() && WildMatch(mask.c_str(), Fold(shortName->second).c_str()))) {
            names.push_back(shown.substr(shown.size() - name.size()));
        }
    };
    for (const std::string& key : order_) consider(key, files_.at(key).path);
    for (const std::string& dir : directories_) consider(dir, dir);
    return names;
}

bool FakeOs::CreateDirectory(const std::string& path) {
    std::string key = Fold(path);
    if (failCreateDirectory || files_.count(key) || directories_.count(key)) return false;
    std::string parent = Parent(key);
    if (parent.size() > 2 && !directories_.count(parent)) return false;
    if (!Writable(key)) return false;
    directories_.insert(key);
    log.push_back("mkdir " + path);
    return true;
}

bool FakeOs::DeleteFile(const std::string& path) {
    std::string key = Fold(path);
    if (!files_.count(key) || !Writable(key)) return false;
    files_.erase(key);
    order_.erase(std::find(order_.begin(), order_.end(), key));
    log.push_back("delete " + path);
    return true;
}

bool FakeOs::ReadFile(const std::string& path, std::string& bytes) {
    auto it = files_.find(Fold(path));
    if (it == files_.end() || unreadable.count(Fold(path))) return false;
    bytes = it->second.bytes;
    return true;
}

bool FakeOs::StartWrite(const std::string& path) {
    std::string key = Fold(path);
    std::string parent = Parent(key);
    if (directories_.count(key)) return false;
    if (parent.size() > 2 && !directories_.count(parent)) return false;
    if (!Writable(key)) return false;
    if (duringWrite) duringWrite(path);
    return true;
}

bool FakeOs::ReplaceFile(const std::string& path, const std::string& bytes) {
    if (!StartWrite(path) || directories_.count(Fold(path))) return false;
    AddFile(path, bytes);
    log.push_back("write " + path);
    return true;
}

bool FakeOs::CreateNewFile(const std::string& path, const std::string& bytes) {
    if (!StartWrite(path) || FindFile(path, nullptr)) return false;
    AddFile(path, bytes);
    log.push_back("write " + path);
    return true;
}

bool FakeOs::CreateTempFile(const std::string& folder, const std::string& prefix,
                            std::string& path) {
    std::string parent = Fold(folder);
    if (failTempFile || !directories_.count(parent)) return false;
    int next = tempCounter;
    for (int tries = 0; tries < 0x10000; ++tries) {
        unsigned number = static_cast<unsigned>(next++) & 0xFFFF;
        if (!tempStartFixed) tempCounter = next;
        if (number == 0) continue;
        char name[32];
        std::snprintf(name, sizeof name, "%.3s%X.tmp", prefix.c_str(), number);
        std::string candidate = folder;
        if (candidate.empty() || candidate.back() != '\\') candidate += '\\';
        candidate += name;
        if (!HasFile(candidate)) {
            // The name itself is what must be writable: a full disk still takes it.
            if (!Writable(candidate)) return false;
            AddFile(candidate, std::string());
            path = candidate;
            return true;
        }
    }
    return false;
}

bool FakeOs::DiskFreeSpace(const std::string& directory, std::uint64_t* totalBytes,
                           std::uint64_t* freeBytes) {
    diskQueryErrorModes.push_back(threadErrorMode);
    if (failDiskQuery) return false;
    if (totalBytes) *totalBytes = diskTotal;
    if (freeBytes) *freeBytes = diskFree;
    return true;
}

bool FakeOs::VolumeSerial(const std::string& root, std::uint32_t& serial) {
    volumeQueries.push_back(root);
    serial = volumeSerial;
    return true;
}

bool FakeOs::SetThreadErrorMode(std::uint32_t mode, std::uint32_t* previous) {
    if (previous) *previous = threadErrorMode;
    threadErrorMode = mode;
    return true;
}

bool FakeOs::EnvironmentBlock(std::string& block, std::vector<std::u16string>& originals) {
    if (!hasEnvironment_) return false;
    block = environment_;
    originals = environmentOriginals;
    return true;
}

bool FakeOs::StartProcess(const ProcessStart& start, std::uint32_t* error) {
    Started record;
    record.start = start;
    record.hadEnvironment = start.environment != nullptr;
    if (start.environment) {
        // Up to and including the empty string that ends the block.
        const char* p = start.environment;
        while (*p) p += std::char_traits<char>::length(p) + 1;
        record.environment.assign(start.environment, p + 1);
        record.start.environment = nullptr;
    }
    started.push_back(record);
    log.push_back("start " + start.applicationName);
    if (startError) {
        if (error) *error = startError;
        return false;
    }
    return true;
}

std::intptr_t FakeOs::ShellOpen(WindowHandle owner, const std::string& file,
                                const std::string& parameters) {
    shellRequests.push_back({owner, file, parameters});
    log.push_back("shell " + file + " " + parameters);
    return shellResult;
}

int FakeOs::ShowMessage(const std::string& text, unsigned type) {
    messages.push_back({text, type});
    log.push_back("message " + text);
    if (duringMessage) duringMessage();
    if (answers.empty()) return mb::kIdOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace verrow::test
