// Our profile store against the platform's profile functions, on the same files: every
// value either side reads must be the same, and files we write must read back through
// the platform and equal what WritePrivateProfileStringA itself writes.
#include <windows.h>
// <windows.h> maps these to their A/W variants; the services interface keeps the plain names.
#undef CreateDirectory
#undef DeleteFile
#undef ReplaceFile

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/launch_entry.h"
#include "platform/os.h"
#include "platform/profile.h"
#include "platform/win32/win32_os.h"

namespace verrow {
namespace {

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "verrow_profile_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string File(const std::string& name) {
        std::string file = path_ + "\\" + name;
        files_.insert(file);
        return file;
    }

private:
    std::string path_;
    std::set<std::string> files_;
};

class File {
public:
    File(const std::string& path, DWORD access, DWORD creation)
        : handle_(CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, creation, 0, nullptr)) {}
    ~File() {
        if (valid()) CloseHandle(handle_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    File file(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_TRUE(file.valid()) << path;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    File file(path, GENERIC_READ, OPEN_EXISTING);
    if (!file.valid()) return bytes;
    std::vector<char> buffer(1 << 16);
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
        bytes.append(buffer.data(), read);
    }
    return bytes;
}

// "ENV%04d" + suffix
std::string EnvKey(int number, const char* suffix) {
    std::string digits = std::to_string(number);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return "ENV" + digits + suffix;
}

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < s.size() && i < 80; ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out + (s.size() > 80 ? "... (" + std::to_string(s.size()) + " bytes)" : "");
}

// "a\0b\0\0" -> {"a", "b"}
std::vector<std::string> Split(const std::vector<char>& buffer, DWORD length) {
    std::vector<std::string> out;
    for (DWORD pos = 0; pos < length && buffer[pos];) {
        std::string item(&buffer[pos]);
        pos += static_cast<DWORD>(item.size()) + 1;
        out.push_back(item);
    }
    return out;
}

std::vector<std::string> PlatformSections(const std::string& path) {
    std::vector<char> buffer(1 << 20);
    DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    return Split(buffer, length);
}

// Key names of the first section of that name; a line without '=' is a key by itself.
std::vector<std::string> PlatformKeys(const std::string& path, const std::string& section) {
    std::vector<char> buffer(1 << 22);
    DWORD length = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             path.c_str());
    std::vector<std::string> keys;
    for (const std::string& line : Split(buffer, length)) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

std::string PlatformString(const std::string& path, const std::string& section, const std::string& key,
                           DWORD size, char fill) {
    std::vector<char> buffer(size + 1, fill);
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), size, path.c_str());
    return std::string(buffer.data(), length);
}

struct Tally {
    int strings = 0, integers = 0;
    int splitCuts = 0, quoteCuts = 0;  // the platform's own artefacts, see Compare
};

// Compares one look-up. The platform has two artefacts that this store deliberately
// does not copy; they are recognised exactly and counted, anything else fails:
// - where the cut would split a double-byte character it returns size - 1 and leaves
//   the caller's byte in place of the half character;
// - a value in quotes whose inner text is exactly size - 1 characters loses its last one.
void Compare(const ProfileReader& ours, const std::string& path, const std::string& raw,
             const std::string& section, const std::string& key, DWORD size, Tally& tally) {
    const char fill = '\x01';
    std::string mine = ours.GetString(section, key, size);
    std::string theirs = PlatformString(path, section, key, size, fill);
    ++tally.strings;
    if (theirs == mine) return;
    if (size >= 2 && theirs.size() == size - 1 && theirs.back() == fill && mine.size() == size - 2 &&
        theirs.compare(0, size - 2, mine) == 0) {
        ++tally.splitCuts;
        return;
    }
    if (size >= 2 && mine.size() == size - 1 && theirs == mine.substr(0, size - 2) &&
        (raw.find("\"" + mine + "\"") != std::string::npos || raw.find("'" + mine + "'") != std::string::npos)) {
        ++tally.quoteCuts;
        return;
    }
    ADD_FAILURE() << "[" << section << "] " << key << " size " << size << "\n ours:     " << Hex(mine)
                  << "\n platform: " << Hex(theirs);
}

void CompareInt(const ProfileReader& ours, const std::string& path, const std::string& section,
                const std::string& key, Tally& tally) {
    for (int fallback : {0, 77}) {
        ++tally.integers;
        EXPECT_EQ(ours.GetInt(section, key, fallback),
                  static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path.c_str())))
            << "[" << section << "] " << key;
    }
}

std::u16string Widen(const std::string& cp932) {
    int length = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()),
                        reinterpret_cast<wchar_t*>(out.data()), length);
    return out;
}

std::string Utf16(const std::string& cp932, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : Widen(cp932)) {
        char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

std::string Utf8(const std::string& cp932) {
    std::u16string wide = Widen(cp932);
    const wchar_t* text = reinterpret_cast<const wchar_t*>(wide.data());
    int length = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(wide.size()), out.data(), length, nullptr, nullptr);
    return "\xEF\xBB\xBF" + out;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

struct TrickyFile {
    std::string name;
    std::string bytes;
    // Code page 932 lines: taken apart for extra key names, and looked up with small
    // buffers too. (The big entry file is only looked up as the program reads it.)
    bool thorough;
};

std::vector<TrickyFile> TrickyFiles() {
    const std::string A = "\x83\x41";  // ア
    std::vector<TrickyFile> files = {
        {"spacing",
         "  [ MoxEnvExec ]   \r\n  AppName   =   Editor  \r\n\tAppPath\t=\t\\tools\\edit\\edit.exe\t\r\n"
         "CmdOpt =  -a   -b  \r\nCurrentDir=\r\nUseCustomEnv = 1 \r\n OverWriteEnv=\t0\r\nStartUp=\x0B" "1\x0C\r\n"
         "[MoxEnvExec_Env]   ; note\r\nENV0000_Key =  PATH\r\nENV0000_Val =  %PATH%;\\bin  \x1A\r\n",
         true},
        {"quotes",
         "[MoxEnvExec]\r\nAppName=\"Quoted Name\"\r\nAppPath='\\tools\\a b\\x.exe'\r\nCmdOpt=\"-a \"b\" -c\"\r\n"
         "CurrentDir=\"\r\nUseCustomEnv=\"1\"\r\nOverWriteEnv='0'\r\nStartUp=\" 1\"\r\n[MoxEnvExec_Env]\r\n"
         "ENV0000_Key=\"NAME\"\r\nENV0000_Val=\"\"\r\nENV0001_Key=Q\r\nENV0001_Val=\"  padded  \"\r\n"
         "ENV0002_Key=MIXED\r\nENV0002_Val=\"a'\r\nENV0003_Key=JP\r\nENV0003_Val=\"ポ表ソ\"\r\n"
         "ENV0004_Key=X\r\nENV0004_Val=''\r\nENV0005_Key=Y\r\nENV0005_Val=\"\"\"\r\n"
         "ab=\"ab\"\r\nabc='abc'\r\nsix=\"abcdef\"\r\n",
         true},
        {"comments_and_stray_lines",
         "; leading comment\r\nstray=before any section\r\n[MoxEnvExec]\r\n;AppName=commented\r\nAppName=Real\r\n"
         "bare line without equals\r\n=nameless value\r\nAppPath\r\nAppPath=\\later\r\n[broken header\r\n"
         "CmdOpt=after broken header\r\n[]\r\nCurrentDir=unnamed section\r\n[MoxEnvExec_Env]\r\nENV0000_Key=A\r\n",
         true},
        {"letter_case",
         "[moxenvexec]\r\nAPPNAME=upper\r\nappPath=\\x\r\nSTARTUP=1\r\n[MOXENVEXEC_ENV]\r\nenv0000_key=k\r\n"
         "Env0000_Val=v\r\n",
         true},
        {"duplicates",
         "[MoxEnvExec]\r\nAppName=first\r\nappname=second\r\n[MoxEnvExec_Env]\r\nENV0000_Key=A\r\n"
         "[MoxEnvExec]\r\nAppPath=\\in second section\r\nAppName=third\r\n[moxenvexec_env]\r\n"
         "ENV0000_Val=in second section\r\n",
         true},
        {"code_page_932",
         "[日本語セクション]\r\n名前=ポケット表示\r\nソフト=ソ\\ソ表\\能十\r\nゾ=ゾ]ゾ\r\n全角＝=値\r\n半角=ｱｲｳｴｵ\r\n"
         "記号=①Ⅰ№㈱∵≒¬\r\n外字=\xF0\x40\xF9\xFC\r\n全角空白=　x　\r\n[ゾーン]]\r\nキー=x\r\n"
         "[MoxEnvExec]\r\nAppName=エディタ「表」\r\nAppPath=\\ツール\\表示\\edit.exe\r\n[MoxEnvExec_Env]\r\n"
         "ENV0000_Key=パス\r\nENV0000_Val=%パス%;ポ|ポ\r\n",
         true},
        {"empty_values",
         "[MoxEnvExec]\r\nAppName=\r\nAppPath=   \r\nCmdOpt=\"\"\r\nCurrentDir=''\r\nUseCustomEnv=\r\n"
         "[MoxEnvExec_Env]\r\nENV0000_Key=\r\nENV0000_Val=x\r\n",
         true},
        {"long_values",
         "[MoxEnvExec]\r\nAppName=" + std::string(2000, 'n') + "\r\nAppPath=" + Repeat(A, 150) + "x\r\n"
         "CmdOpt=x" + Repeat(A, 200) + "\r\n[MoxEnvExec_Env]\r\nENV0000_Key=" + std::string(300, 'k') +
         "\r\nENV0000_Val=" + std::string(30000, 'v') + "\r\nENV0001_Key=W\r\nENV0001_Val=" + Repeat(A, 15000) +
         "\r\nENV0002_Key=X\r\nENV0002_Val=x" + Repeat(A, 15000) + "\r\nENV0003_Key=L\r\nENV0003_Val=" +
         std::string(200000, 'l') + "\r\n",
         true},
        {"no_final_newline", "[MoxEnvExec]\r\nAppPath=\\x.exe\r\nAppName=last line", true},
        {"cr_only", "[MoxEnvExec]\rAppName=cr\rAppPath=\\cr.exe\r[MoxEnvExec_Env]\rENV0000_Key=K\r", true},
        {"lf_only", "[MoxEnvExec]\nAppName=lf\nAppPath=\\lf.exe\n\n\n[MoxEnvExec_Env]\nENV0000_Key=K\n", true},
        {"integers",
         "[MoxEnvExec]\r\nUseCustomEnv=2\r\nOverWriteEnv=-1\r\nStartUp=yes\r\n[n]\r\na=+5\r\nb=  7\r\nc=- 3\r\n"
         "d=12abc\r\ne=0x1F\r\nf=0X1f\r\ng=-0x10\r\nh=0o17\r\ni=0b101\r\nj=017\r\nk=4294967297\r\n"
         "l=2147483648\r\nm=99999999999999999999\r\nn='-9'\r\no=\" 5\"\r\np=3.9\r\nq=" + A + "5\r\n"
         "r=000000000000000000000000000012\r\ns=\" \"\r\nt=\"\"\r\nu=0x\r\nv=--1\r\n",
         true},
    };
    std::string entry = "[MoxEnvExec]\r\nAppName=多数\r\nAppPath=\\tools\\x.exe\r\nUseCustomEnv=1\r\n[MoxEnvExec_Env]\r\n";
    for (int i = 0; i < 300; ++i) {
        entry += EnvKey(i, "_Key=変数") + std::to_string(i) + "\r\n";
        entry += EnvKey(i, "_Val=ポ|表") + std::to_string(i) + "\r\n";
    }
    files.push_back({"entry_300_variables", entry, false});
    // As a modern editor saves a hand-edited file.
    const std::string japanese = files[5].bytes;
    files.push_back({"utf16le_bom", Utf16(japanese, false), false});
    files.push_back({"utf16be_bom", Utf16(japanese, true), false});
    files.push_back({"utf8_bom", Utf8(japanese), false});
    files.push_back({"utf8_bom_quotes", Utf8(files[1].bytes), false});
    return files;
}

// The keys to look up in a file: what the platform lists, the entry file's keys, names
// in other letter case and with spaces, and every "name=" of a line (comments excepted),
// in every section; in the big file only each section's own keys.
std::vector<std::pair<std::string, std::string>> Lookups(const std::string& path, const TrickyFile& file) {
    std::set<std::string> sections = {"MoxEnvExec", "MoxEnvExec_Env", "moxenvexec", " MoxEnvExec_Env ", "n", "none"};
    for (const std::string& s : PlatformSections(path)) sections.insert(s);
    const std::set<std::string> fixed = {"AppName", "AppPath", "CmdOpt", "CurrentDir", "UseCustomEnv",
                                         "OverWriteEnv", "StartUp", "appname", "  AppPath  ", "ENV0000_Key",
                                         "ENV0000_Val", "ENV0001_Key", "ENV0001_Val", "ENV0002_Val",
                                         "ENV0003_Val", "Missing"};
    std::set<std::pair<std::string, std::string>> out;
    std::set<std::string> keys = fixed;
    for (const std::string& s : sections) {
        for (const std::string& k : PlatformKeys(path, s)) {
            keys.insert(k);
            out.emplace(s, k);
        }
        for (const std::string& k : fixed) out.emplace(s, k);
    }
    if (file.thorough) {
        std::size_t pos = 0;
        while (pos < file.bytes.size()) {
            std::size_t end = file.bytes.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = file.bytes.size();
            std::string line = file.bytes.substr(pos, end - pos);
            std::string name = line.substr(0, line.find('='));
            if (!name.empty() && name.size() < 1000 && name.find(';') == std::string::npos) keys.insert(name);
            pos = end + 1;
        }
        for (const std::string& s : sections) {
            for (const std::string& k : keys) out.emplace(s, k);
        }
    }
    return std::vector<std::pair<std::string, std::string>>(out.begin(), out.end());
}

TEST(ProfileCompatibility, TrickyFilesReadAsThePlatformReadsThem) {
    ASSERT_EQ(GetACP(), 932u) << "the tests need code page 932 (LC_ALL=ja_JP.UTF-8)";
    ScratchFolder folder;
    Tally tally;
    for (const TrickyFile& file : TrickyFiles()) {
        SCOPED_TRACE(file.name);
        const std::string path = folder.File(file.name + ".ini");
        WriteBytes(path, file.bytes);
        ProfileReader ours;
        ours.Parse(file.bytes);
        for (const auto& lookup : Lookups(path, file)) {
            for (DWORD size : {260u, 26000u}) Compare(ours, path, file.bytes, lookup.first, lookup.second, size, tally);
            if (file.thorough) {
                // Size 1 on a value that is just two quotes ("" or '') damages the block of
                // wine's own wide buffer: WINEDEBUG=warn+heap shows "invalid block type"
                // when wine frees it. Nothing of ours is involved; the test still passes.
                for (DWORD size : {1u, 2u, 3u, 4u, 7u}) {
                    Compare(ours, path, file.bytes, lookup.first, lookup.second, size, tally);
                }
            }
            CompareInt(ours, path, lookup.first, lookup.second, tally);
        }
    }
    // The files are built so that both artefacts occur: the comparison sees them.
    EXPECT_GT(tally.splitCuts, 0);
    EXPECT_GT(tally.quoteCuts, 0);
    RecordProperty("strings", tally.strings);
    RecordProperty("integers", tally.integers);
    RecordProperty("split_cuts", tally.splitCuts);
    RecordProperty("quote_cuts", tally.quoteCuts);
    std::printf("compared %d strings and %d integers; platform artefacts: %d split cuts, %d quote cuts\n",
                tally.strings, tally.integers, tally.splitCuts, tally.quoteCuts);
}

// What the program writes: texts with double-byte characters, '|', '=', ';', '[',
// quotes inside, empty and very long values. None needs quoting to read back.
std::vector<std::vector<std::string>> Writes() {
    return {
        {"MoxEnvExec", "AppName", "エディタ「表示」ソ"},
        {"MoxEnvExec", "AppPath", "\\ツール\\表\\edit.exe"},
        {"MoxEnvExec", "CmdOpt", "-a \"b c\" =x ;y [z]"},
        {"MoxEnvExec", "CurrentDir", ""},
        {"MoxEnvExec", "UseCustomEnv", "1"},
        {"moxenvexec", "appname", "置き換え後"},
        {"MoxEnvExec_Env", "ENV0000_Key", "_VERROW_DRV_"},
        {"MoxEnvExec_Env", "ENV0000_Val", "E:"},
        {"MoxEnvExec_Env", "ENV0001_Key", "パス"},
        {"MoxEnvExec_Env", "ENV0001_Val", "%_VERROW_DRV_%\\ポ|表;%PATH%"},
        {"MoxEnvExec_Env", "ENV0002_Key", ";semi"},
        {"MoxEnvExec_Env", "ENV0002_Val", "[not a section]"},
        {"MoxEnvExec_Env", "ENV0003_Key", "LONG"},
        {"MoxEnvExec_Env", "ENV0003_Val", std::string(25999, 'x')},
        {"Third", "k", "'a\"b'c"},
    };
}

TEST(ProfileCompatibility, WhatWeWriteIsWhatThePlatformWritesAndReadsBack) {
    ScratchFolder folder;
    const std::string ours = folder.File("ours.ini");
    const std::string platform = folder.File("platform.ini");
    ProfileWriter writer;
    for (const auto& w : Writes()) {
        writer.Write(w[0], w[1], w[2]);
        WritePrivateProfileStringA(w[0].c_str(), w[1].c_str(), w[2].c_str(), platform.c_str());
    }
    WriteBytes(ours, writer.Bytes());
    EXPECT_EQ(ReadBytes(ours), ReadBytes(platform));

    ProfileReader reader;
    reader.Parse(writer.Bytes());
    for (const auto& w : Writes()) {
        std::string value = w[2];
        if (w[1] == "AppName") continue;  // replaced by the later write
        EXPECT_EQ(PlatformString(ours, w[0], w[1], 26000, '\0'), value) << w[1];
        EXPECT_EQ(reader.GetString(w[0], w[1], 26000), value) << w[1];
    }
}

// Values the platform's own writer would not give back (spaces around, enclosing
// quotes) are quoted by ours, and the platform then reads them back exactly.
TEST(ProfileCompatibility, ValuesThatNeedQuotingReadBackOnThePlatform) {
    ScratchFolder folder;
    const std::string ours = folder.File("quoted.ini");
    const std::vector<std::string> values{"  置き換え後 \t", "\"C:\\a b\\x.exe\" \"out file\"", "'表'",
                                          "\"\"", " \"q\" "};
    ProfileWriter writer;
    for (std::size_t i = 0; i < values.size(); ++i) writer.Write("S", "k" + std::to_string(i), values[i]);
    WriteBytes(ours, writer.Bytes());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(PlatformString(ours, "S", "k" + std::to_string(i), 26000, '\0'), values[i]) << i;
    }
}

// Entry files across the two implementations: written by the program and read by the
// platform, and written key by key by the platform (as older files were) and read here.
TEST(ProfileCompatibility, EntryFilesPassBetweenOurStoreAndThePlatform) {
    Win32Os os;
    ScopedOs scope(os);
    ScratchFolder folder;
    const std::string ours = folder.File("ours.vrc");
    const std::string platform = folder.File("platform.vrc");

    LaunchEntry entry;
    entry.SetAppName("ポケット表示");
    entry.SetAppPath("\\ツール\\表\\edit.exe");
    entry.SetStartUp(1);
    entry.SetUseCustomEnv(1);
    entry.SetOverWriteEnv(1);
    entry.SetEnv("_VERROW_DRV_", "E:");
    entry.SetEnv("PATH", "%_VERROW_DRV_%\\ソフト|ポ;%PATH%");
    entry.SetEnv("EMPTY", "");
    ASSERT_TRUE(entry.SaveToFile(ours));

    // The same keys written one by one from an empty file.
    auto put = [&](const char* section, const std::string& key, const std::string& value) {
        WritePrivateProfileStringA(section, key.c_str(), value.c_str(), platform.c_str());
    };
    put(kEntrySection, "AppName", entry.GetAppName());
    put(kEntrySection, "AppPath", entry.GetAppPath());
    put(kEntrySection, "CmdOpt", "");
    put(kEntrySection, "CurrentDir", "");
    put(kEntrySection, "UseCustomEnv", "1");
    put(kEntrySection, "OverWriteEnv", "1");
    put(kEntrySection, "StartUp", "1");
    int n = 0;
    for (const auto& variable : entry.GetEnvMap()) {
        put(kEnvSection, EnvKey(n, "_Key"), variable.first);
        put(kEnvSection, EnvKey(n, "_Val"), variable.second);
        ++n;
    }
    EXPECT_EQ(ReadBytes(ours), ReadBytes(platform));
    EXPECT_EQ(PlatformString(ours, kEnvSection, "ENV0001_Val", 26000, '\0'), "%_VERROW_DRV_%\\ソフト|ポ;%PATH%");
    EXPECT_EQ(GetPrivateProfileIntA(kEntrySection, "StartUp", 0, ours.c_str()), 1u);

    LaunchEntry back;
    ASSERT_TRUE(back.LoadFromFile(platform));
    EXPECT_EQ(back.GetAppName(), "ポケット表示");
    EXPECT_EQ(back.GetAppPath(), "\\ツール\\表\\edit.exe");
    EXPECT_EQ(back.GetOverWriteEnv(), 1);
    std::vector<std::string> names, expected;
    back.GetEnvNames(names);
    entry.GetEnvNames(expected);
    EXPECT_EQ(names, expected);
    std::string value;
    back.LookupEnv("PATH", value);
    EXPECT_EQ(value, "%_VERROW_DRV_%\\ソフト|ポ;%PATH%");
}

}  // namespace
}  // namespace verrow
