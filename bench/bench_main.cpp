// verrow_bench: loads, starts and weighs Verrow side by side with the platform and prints
// a table of ratios of medians. tools/bench.sh prepares the drive and runs it under wine.
//
//   verrow_bench --root K:\ --verrow PATH --floor PATH [--files N] [--vars V] [--runs R] [--check]
//   verrow_bench ... --timing LOG   starts only, of a Verrow.exe built with its timing marks:
//                                   the medians of every mark (platform/timing.h), via LOG
//
// The root is a mapped drive letter (the stick); the benchmark writes its data below it:
//   load\VERROW_CNF\      N entry files of V variables, read three ways
//   start10\, startN\     Verrow.exe with 10 and with N of those entries, StartOpen=0
//   floor\floor.exe       the bare dialog program
// Exit code: 0 done (with --check: and no gross regression), 1 gross regression,
// 2 the benchmark itself failed (a program did not start, loads disagree, bad arguments).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "platform/os.h"
#include "platform/win32/win32_os.h"

namespace verrow::bench {
namespace {

struct Options {
    std::string root;
    std::string verrow;
    std::string floor;
    int files = 1000;
    int variables = 100;
    int runs = 3;
    bool check = false;
    std::string timingLog;  // a Windows path: the timing marks' log
};

// Targets, and the limits of the check in the test command: an order of magnitude off.
constexpr double kLoadSpeedupTarget = 100;   // platform / store, at least
constexpr double kLoadRawTarget = 1.5;       // store / raw bytes, at most
constexpr double kStartTarget = 1.15;        // Verrow with 10 entries / floor, at most
constexpr double kStartManyTarget = 2.5;     // Verrow with 1000 entries / floor, at most
constexpr double kCloseManyTarget = 2;       // Verrow's close with 1000 entries / floor's, at most
constexpr double kSizeTargetKb = 400;        // at most, for the shipped 32-bit program
constexpr double kGross = 10;
constexpr DWORD kTimeoutMs = 60000;
// DLLs that only commands need: bound at their first call (SystemFunction), so never in
// the import table.
const char* const kLoadedByCommands[] = {"shell32.dll", "comdlg32.dll", "ole32.dll"};
// Starts are cheap and noisier than loads: at least this many of each.
constexpr int kMinStartRuns = 11;
constexpr DWORD kSettleMs = 100;

bool ParseInt(const char* text, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || value < 1 || value > 100000) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--check") {
            options.check = true;
        } else if (arg == "--timing" && hasValue) {
            options.timingLog = argv[++i];
        } else if (arg == "--root" && hasValue) {
            options.root = argv[++i];
            if (!options.root.empty() && options.root.back() != '\\') options.root += '\\';
        } else if (arg == "--verrow" && hasValue) {
            options.verrow = argv[++i];
        } else if (arg == "--floor" && hasValue) {
            options.floor = argv[++i];
        } else if (arg == "--files" && hasValue) {
            if (!ParseInt(argv[++i], options.files)) return false;
        } else if (arg == "--vars" && hasValue) {
            if (!ParseInt(argv[++i], options.variables)) return false;
        } else if (arg == "--runs" && hasValue) {
            if (!ParseInt(argv[++i], options.runs)) return false;
        } else {
            return false;
        }
    }
    return options.root.size() >= 3 && !options.verrow.empty() && !options.floor.empty();
}

std::string WineVersion() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    using Version = const char*(CDECL*)();
    auto version = ntdll ? reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                         : nullptr;
    return version ? std::string("wine ") + version() : std::string("Windows");
}

int Fail(const std::string& why) {
    std::printf("benchmark failed: %s\n", why.c_str());
    return 2;
}

// A configuration of its own for one program: Verrow.exe, settings, N entries.
bool PrepareStart(const Options& options, const std::string& folder, int entries) {
    if (!PrepareFolder(folder.substr(0, folder.size() - 1))) return false;
    if (!CopyFileA(options.verrow.c_str(), (folder + "Verrow.exe").c_str(), FALSE)) return false;
    if (!WriteWholeFile(folder + "verrow.ini", "[Verrow]\r\nStartOpen=0\r\n")) return false;
    return GenerateEntries(folder, entries, options.variables) > 0;
}

double Fastest(const std::vector<double>& values) {
    double fastest = values.empty() ? 0 : values.front();
    for (double value : values) fastest = value < fastest ? value : fastest;
    return fastest;
}

struct StartSeries {
    std::vector<double> start, close, peak;
    void Add(const StartResult& r) {
        start.push_back(r.startMs);
        close.push_back(r.closeMs);
        peak.push_back(static_cast<double>(r.peakWorkingSet) / (1024.0 * 1024.0));
    }
};

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

// A target as the table shows it: ">= 100x", "<= 1.15x", "<= 400 KB".
std::string Target(const char* relation, double value, const char* unit = "x") {
    char text[32];
    std::snprintf(text, sizeof text, "%s %g%s", relation, value, unit);
    return text;
}

// The marks of a timing build, by name in the order first seen, one value per start.
struct Marks {
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> values;
};

// Takes the lines that one start left in the log, and empties it.
void TakeMarks(const std::string& log, Marks& marks) {
    std::FILE* file = std::fopen(log.c_str(), "rb");
    if (!file) return;
    char line[512];
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        std::size_t space = text.rfind(' ');
        if (space == std::string::npos) continue;
        std::string name = text.substr(0, space);
        if (!marks.values.count(name)) marks.order.push_back(name);
        marks.values[name].push_back(std::strtod(text.c_str() + space + 1, nullptr));
    }
    std::fclose(file);
    DeleteFileA(log.c_str());
}

// Starts only, of a build with timing marks: where the time goes inside the program.
int RunTiming(const Options& options) {
    const std::string start10 = options.root + "start10\\";
    const std::string startN = options.root + "startN\\";
    const std::string floorFolder = options.root + "floor\\";
    if (!PrepareStart(options, start10, 10) || !PrepareStart(options, startN, options.files)) {
        return Fail("cannot prepare Verrow's folders below " + options.root);
    }
    if (!PrepareFolder(floorFolder.substr(0, floorFolder.size() - 1)) ||
        !CopyFileA(options.floor.c_str(), (floorFolder + "floor.exe").c_str(), FALSE)) {
        return Fail("cannot copy the floor program to " + floorFolder);
    }
    SetEnvironmentVariableA("VERROW_TIMING_LOG", options.timingLog.c_str());
    DeleteFileA(options.timingLog.c_str());
    const int startRuns = options.runs > kMinStartRuns ? options.runs : kMinStartRuns;
    std::printf("Verrow timing marks: medians of %d starts, ms since the process was created "
                "(+name: a sum over every entry);\n"
                "after WM_CLOSE, ms since WM_CLOSE\n", startRuns);
    struct Program {
        std::string exe;
        int entries;
        std::vector<double> start, close;
        Marks marks;
    };
    Program programs[] = {{floorFolder + "floor.exe", -1, {}, {}, {}},
                          {start10 + "Verrow.exe", 10, {}, {}, {}},
                          {startN + "Verrow.exe", options.files, {}, {}, {}}};
    for (int run = -1; run < startRuns; ++run) {
        for (Program& program : programs) {
            Sleep(kSettleMs);
            StartResult result = StartAndClose(program.exe, kTimeoutMs);
            if (!result.ok) return Fail(result.error);
            Marks marks;
            TakeMarks(options.timingLog, marks);
            if (run < 0) continue;
            program.start.push_back(result.startMs);
            program.close.push_back(result.closeMs);
            // The close's marks count from WM_CLOSE: the moment of the close varies from
            // start to start by more than the close takes.
            auto closeMark = marks.values.find("dialog: WM_CLOSE");
            if (closeMark != marks.values.end() && closeMark->second.size() == 1) {
                const double closed = closeMark->second.front();
                bool after = false;
                for (const std::string& name : marks.order) {
                    if (after && name[0] != '+') {
                        for (double& value : marks.values[name]) value -= closed;
                    }
                    after = after || name == "dialog: WM_CLOSE";
                }
            }
            for (const std::string& name : marks.order) {
                if (!program.marks.values.count(name)) program.marks.order.push_back(name);
                for (double value : marks.values[name]) program.marks.values[name].push_back(value);
            }
        }
    }
    std::printf("\n%-40s %10s %10s %10s\n", "mark", "floor", "10", std::to_string(options.files).c_str());
    std::vector<std::string> names = programs[2].marks.order;
    for (const Program& program : programs) {
        for (const std::string& name : program.marks.order) {
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    auto row = [](const std::string& name, double a, double b, double c) {
        auto cell = [](double v) {
            char text[32] = "-";
            if (v >= 0) std::snprintf(text, sizeof text, "%.2f", v);
            return std::string(text);
        };
        std::printf("%-40s %10s %10s %10s\n", name.c_str(), cell(a).c_str(), cell(b).c_str(), cell(c).c_str());
    };
    for (const std::string& name : names) {
        auto median = [&](const Program& p) {
            auto it = p.marks.values.find(name);
            return it == p.marks.values.end() ? -1.0 : Median(it->second);
        };
        row(name, median(programs[0]), median(programs[1]), median(programs[2]));
    }
    row("(benchmark) visible window", Median(programs[0].start), Median(programs[1].start), Median(programs[2].start));
    row("(benchmark) WM_CLOSE to process end", Median(programs[0].close), Median(programs[1].close),
        Median(programs[2].close));
    return 0;
}

int Run(const Options& options) {
    const std::string loadFolder = options.root + "load\\";
    const std::string start10 = options.root + "start10\\";
    const std::string startN = options.root + "startN\\";
    const std::string floorFolder = options.root + "floor\\";
    const std::string drive = options.root.substr(0, 2);

    ExeInfo exe = ReadExeInfo(options.verrow);
    if (!exe.ok) return Fail("cannot read the headers of " + options.verrow);

    std::uint64_t dataBytes = GenerateEntries(loadFolder, options.files, options.variables);
    if (dataBytes == 0) return Fail("cannot write the entry files below " + loadFolder);
    if (!PrepareStart(options, start10, 10) || !PrepareStart(options, startN, options.files)) {
        return Fail("cannot prepare Verrow's folders below " + options.root);
    }
    if (!PrepareFolder(floorFolder.substr(0, floorFolder.size() - 1)) ||
        !CopyFileA(options.floor.c_str(), (floorFolder + "floor.exe").c_str(), FALSE)) {
        return Fail("cannot copy the floor program to " + floorFolder);
    }

    const int startRuns = options.runs > kMinStartRuns ? options.runs : kMinStartRuns;
    std::printf("Verrow benchmark: %d entry files x %d variables (%.1f MB); medians of %d loads and %d starts; %s\n",
                options.files, options.variables, static_cast<double>(dataBytes) / 1e6, options.runs, startRuns,
                WineVersion().c_str());
    std::fflush(stdout);

    // Loads. One untimed pass first, so that every way finds the files in the cache.
    LoadRawBytes(loadFolder);
    LoadWithStore(loadFolder, drive);
    std::vector<double> store, take, platform, raw;
    const std::size_t wantVariables = static_cast<std::size_t>(options.files) * options.variables;
    for (int run = 0; run < options.runs; ++run) {
        LoadResult s = LoadWithStore(loadFolder, drive);
        LoadResult p = LoadWithPlatform(loadFolder);
        LoadResult r = LoadRawBytes(loadFolder);
        if (s.entries != static_cast<std::size_t>(options.files) || s.variables != wantVariables) {
            return Fail("the store read " + std::to_string(s.entries) + " entries and " +
                        std::to_string(s.variables) + " variables");
        }
        if (p.entries != s.entries || p.variables != s.variables || p.digest != s.digest) {
            return Fail("the store and the platform's profile functions read different entries");
        }
        if (r.entries != s.entries || r.bytes != dataBytes) return Fail("the raw read missed files");
        store.push_back(s.ms);
        take.push_back(s.takeMs);
        platform.push_back(p.ms);
        raw.push_back(r.ms);
    }

    // Starts, interleaved so that a slow moment of the machine hits every program alike,
    // in a rotating order so that none always follows the same one, each after a pause in
    // which the last one's end has settled. One untimed start of each first.
    struct Program {
        std::string exe;
        int entries;  // the list's rows to expect, -1 for the floor
        StartSeries series;
    };
    Program programs[] = {{floorFolder + "floor.exe", -1, {}},
                          {start10 + "Verrow.exe", 10, {}},
                          {startN + "Verrow.exe", options.files, {}}};
    for (int run = -1; run < startRuns; ++run) {
        for (int i = 0; i < 3; ++i) {
            Program& program = programs[(run + 1 + i) % 3];
            Sleep(kSettleMs);
            StartResult result = StartAndClose(program.exe, kTimeoutMs);
            if (!result.ok) return Fail(result.error);
            if (program.entries >= 0 && result.listItems != program.entries) {
                return Fail("Verrow showed " + std::to_string(result.listItems) + " of " +
                            std::to_string(program.entries) + " entries");
            }
            if (run >= 0) program.series.Add(result);
        }
    }
    const StartSeries& floorRuns = programs[0].series;
    const StartSeries& runs10 = programs[1].series;
    const StartSeries& runsN = programs[2].series;

    const double storeMs = Median(store), platformMs = Median(platform), rawMs = Median(raw);
    const double floorMs = Median(floorRuns.start), ms10 = Median(runs10.start), msN = Median(runsN.start);
    const double speedup = platformMs / storeMs;
    const double overRaw = storeMs / rawMs;
    const double start10Ratio = ms10 / floorMs;
    const double startNRatio = msN / floorMs;
    const double closeNRatio = Median(runsN.close) / Median(floorRuns.close);
    const double sizeKb = static_cast<double>(exe.size) / 1024.0;
    // The size target is the shipped program's; a 64-bit build's size is only shown.
    const bool targetSize = exe.bits == 32;
    const bool systemOnly = exe.foreignImports.empty();

    std::printf("\nLoad (each way lists VERROW_CNF\\*.vrc itself)          median ms\n");
    std::printf("  platform profile functions, one call per key  %12.1f\n", platformMs);
    std::printf("  Verrow's store (LoadAllEntries, LoadFromFile) %12.1f\n", storeMs);
    std::printf("    then every entry's variables into its map   %12.1f   (at first use)\n", Median(take));
    std::printf("  raw bytes (CreateFileA + ReadFile)            %12.1f\n", rawMs);
    std::printf("\nStart to visible window, StartOpen=0   start ms (fastest)   close ms   peak working set\n");
    std::printf("  bare dialog with one list view (floor) %9.1f (%7.1f)  %9.1f   %6.1f MB\n", floorMs,
                Fastest(floorRuns.start), Median(floorRuns.close), Median(floorRuns.peak));
    std::printf("  Verrow.exe, 10 entries                 %9.1f (%7.1f)  %9.1f   %6.1f MB\n", ms10,
                Fastest(runs10.start), Median(runs10.close), Median(runs10.peak));
    std::printf("  Verrow.exe, %-5d entries              %9.1f (%7.1f)  %9.1f   %6.1f MB\n", options.files, msN,
                Fastest(runsN.start), Median(runsN.close), Median(runsN.peak));
    std::string imports;
    std::vector<std::string> early;  // loaded at start although only commands need them
    for (const std::string& dll : exe.imports) {
        imports += " " + dll;
        for (const char* late : kLoadedByCommands) {
            if (dll == late) early.push_back(dll);
        }
    }
    std::printf("\nVerrow.exe: %llu bytes (%.0f KB), %s, %s; imports loaded at start:%s\n",
                static_cast<unsigned long long>(exe.size), sizeKb, exe.bits == 32 ? "32-bit" : "64-bit",
                exe.stripped ? "stripped" : "NOT stripped", imports.c_str());

    std::printf("\nRatio                                   measured    target\n");
    // The load and many-entry targets are set for 1,000 files of 100 variables; smaller
    // sets spend relatively more on what every file costs alike.
    const bool targetSet = options.files == 1000 && options.variables == 100;
    const char* const other = "(for 1000 x 100)";
    auto ratio = [](const std::string& label, double value, const std::string& target, const char* verdict) {
        std::printf("  %-36s %8.2fx    %-10s %s\n", label.c_str(), value, target.c_str(), verdict);
    };
    ratio("load: platform / store", speedup, Target(">=", kLoadSpeedupTarget),
          targetSet ? Verdict(speedup >= kLoadSpeedupTarget) : other);
    ratio("load: store / raw bytes", overRaw, Target("<=", kLoadRawTarget),
          targetSet ? Verdict(overRaw <= kLoadRawTarget) : other);
    ratio("start: Verrow 10 entries / floor", start10Ratio, Target("<=", kStartTarget),
          Verdict(start10Ratio <= kStartTarget));
    ratio("start: Verrow " + std::to_string(options.files) + " entries / floor", startNRatio,
          Target("<=", kStartManyTarget), targetSet ? Verdict(startNRatio <= kStartManyTarget) : other);
    ratio("close: Verrow " + std::to_string(options.files) + " entries / floor", closeNRatio,
          Target("<=", kCloseManyTarget), targetSet ? Verdict(closeNRatio <= kCloseManyTarget) : other);
    std::printf("  size: Verrow.exe                     %7.0f KB    %-10s %s\n", sizeKb,
                Target("<=", kSizeTargetKb, " KB").c_str(),
                targetSize ? Verdict(sizeKb <= kSizeTargetKb) : "(for the 32-bit program)");
    std::printf("  imports                            %s   system only %s\n",
                systemOnly ? "system only" : "NOT system ", Verdict(systemOnly));
    std::fflush(stdout);

    if (!options.check) return 0;
    // The test command's check: only what is an order of magnitude off fails; the table
    // above tells how far each target is.
    std::vector<std::string> gross;
    if (speedup < kLoadSpeedupTarget / kGross) gross.push_back("load is not even 10x faster than the platform's");
    if (overRaw > kLoadRawTarget * kGross) gross.push_back("load takes over 15x the raw byte read");
    if (start10Ratio > kStartTarget * kGross) gross.push_back("start takes over 11.5x the bare dialog's");
    if (startNRatio > kStartManyTarget * kGross) gross.push_back("start with many entries takes over 25x the bare dialog's");
    if (closeNRatio > kCloseManyTarget * kGross) gross.push_back("close with many entries takes over 20x the bare dialog's");
    if (targetSize && sizeKb > kSizeTargetKb * kGross) gross.push_back("Verrow.exe is over 4000 KB");
    if (!systemOnly) gross.push_back("Verrow.exe imports DLLs that are not system DLLs");
    for (const std::string& dll : early) {
        gross.push_back(dll + " is loaded at start: a function of it is imported instead of bound with SystemFunction");
    }
    for (const std::string& line : gross) std::printf("GROSS REGRESSION: %s\n", line.c_str());
    if (gross.empty()) std::printf("check: no gross regression\n");
    return gross.empty() ? 0 : 1;
}

}  // namespace
}  // namespace verrow::bench

int main(int argc, char** argv) {
    verrow::bench::Options options;
    if (!verrow::bench::ParseOptions(argc, argv, options)) {
        std::printf("usage: verrow_bench --root K:\\ --verrow PATH --floor PATH [--files N] [--vars V] "
                    "[--runs R] [--check]\n");
        return 2;
    }
    static verrow::Win32Os services;
    verrow::SetOs(&services);
    return options.timingLog.empty() ? verrow::bench::Run(options) : verrow::bench::RunTiming(options);
}
