// The timing marks of platform/timing.h, for a build with VERROW_TIMING only.
#include "platform/timing.h"

#include "platform/scoped.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace verrow::timing {
namespace {

struct Record {
    const char* name;
    std::int64_t ticks;  // a moment, or a sum of durations
    bool sum;
};

// Fixed room, so that marking allocates nothing and costs next to nothing.
Record g_records[256];
int g_count = 0;
std::int64_t g_frequency = 0;
std::int64_t g_created = 0;  // the process's creation, in counter ticks

void Write() {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("VERROW_TIMING_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    Mark("exit");
    // One write of the whole log: a line at a time would cost the close it measures.
    std::string log;
    for (int i = 0; i < g_count; ++i) {
        const Record& r = g_records[i];
        double ms = static_cast<double>(r.sum ? r.ticks : r.ticks - g_created) * 1000.0 / static_cast<double>(g_frequency);
        char value[32];
        std::snprintf(value, sizeof value, " %.3f\n", ms);
        log += r.sum ? "+" : "";
        log += r.name;
        log += value;
    }
    log += "end\n";
    ScopedHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
}

void Start() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    g_frequency = frequency.QuadPart;
    // The creation time is a system time: the counter's origin follows from the system
    // time and the counter read together.
    FILETIME created, exited, kernel, user, systemNow;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    using Precise = void(WINAPI*)(LPFILETIME);
    auto precise = reinterpret_cast<Precise>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    if (precise) precise(&systemNow); else GetSystemTimeAsFileTime(&systemNow);
    QueryPerformanceCounter(&now);
    ULARGE_INTEGER c{}, n{};
    c.LowPart = created.dwLowDateTime;
    c.HighPart = created.dwHighDateTime;
    n.LowPart = systemNow.dwLowDateTime;
    n.HighPart = systemNow.dwHighDateTime;
    double sinceCreation = static_cast<double>(n.QuadPart - c.QuadPart) / 1e7;  // seconds
    g_created = now.QuadPart - static_cast<std::int64_t>(sinceCreation * static_cast<double>(g_frequency));
    std::atexit(&Write);
}

}  // namespace

std::int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void Mark(const char* name) {
    if (g_frequency == 0) Start();
    if (g_count < 256) g_records[g_count++] = Record{name, Now(), false};
}

void MarkDialogMessage(unsigned message) {
    static bool painted = false;
    if (message == WM_PAINT && !painted) {
        painted = true;
        Mark("dialog: first paint");
    }
    if (message == WM_INITDIALOG) Mark("dialog: WM_INITDIALOG");
    if (message == WM_CLOSE) Mark("dialog: WM_CLOSE");
}

void Add(const char* name, std::int64_t ticks) {
    if (g_frequency == 0) Start();
    for (int i = 0; i < g_count; ++i) {
        if (g_records[i].sum && std::strcmp(g_records[i].name, name) == 0) {
            g_records[i].ticks += ticks;
            return;
        }
    }
    if (g_count < 256) g_records[g_count++] = Record{name, ticks, true};
}

}  // namespace verrow::timing
