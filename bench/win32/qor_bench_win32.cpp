// The Windows build's rows of the benchmark table, run under Wine by
// scripts/bench: start-up and memory of qor-demo.exe against a bare window
// with the same controls, texts, font and manifest, and the read round trip
// through Wine's serial layer to qor-sim on COM1.
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qorcomm.h"
#include "statistics.h"

namespace {

using namespace std::chrono_literals;
using bench::Clock;
using bench::Median;
using bench::Microseconds;
using bench::Percentile;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void Row(const std::string& measure, const std::string& figure, const char* goal, bool met) {
    // A figure without a goal is shown, not judged.
    std::printf("| %s | %s | %s | %s |\n", measure.c_str(), figure.c_str(), goal,
                std::string_view(goal) == "-" ? "-"
                : met                         ? "yes"
                                              : "no");
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

// What one launch of a program showed: the time from launch until its window
// was shown and painted and the program waited for input, and its peak
// working set once start-up had settled. Negative where it failed.
struct Launch {
    double startupUs = -1;
    double peakMiB = -1;
};

BOOL CALLBACK NoteShownWindow(HWND window, LPARAM process) {
    auto& wanted = *reinterpret_cast<std::pair<DWORD, bool>*>(process);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != wanted.first || !IsWindowVisible(window)) return TRUE;
    wanted.second = true;
    return FALSE;
}

bool HasShownWindow(DWORD process) {
    std::pair<DWORD, bool> wanted = {process, false};
    EnumWindows(NoteShownWindow, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

// The system counts a process idle once its thread waits for messages with
// none left, the first paint included. Under Wine a program can also count
// as idle while it waits for an answer before its window shows, and stays
// so: then the window is looked for every millisecond. The peak has settled
// when it has not changed for half a second (10 s at most).
Launch LaunchOnce(const std::wstring& program) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return {};
    Launch launch;
    if (WaitForInputIdle(process.hProcess, 10000) == 0) {
        while (!HasShownWindow(process.dwProcessId) && Clock::now() - start < 10s &&
               WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        }
        if (HasShownWindow(process.dwProcessId))
            launch.startupUs = Microseconds(Clock::now() - start);
    }
    SIZE_T peak = 0;
    int steady = 0;
    for (int i = 0; launch.startupUs >= 0 && i < 100 && steady < 5; ++i) {
        Sleep(100);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
        steady = counters.PeakWorkingSetSize == peak && peak > 0 ? steady + 1 : 0;
        peak = counters.PeakWorkingSetSize;
    }
    if (steady >= 5) launch.peakMiB = static_cast<double>(peak) / (1024.0 * 1024.0);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return launch;
}

// The two programs take turns, so that whatever else the machine does
// weighs on both alike. A failed launch fails its row.
void BenchStartupAndMemory() {
    const std::wstring ours = ProgramFolder() + L"\\qor-demo.exe";
    const std::wstring bare = ProgramFolder() + L"\\bare-win32-window.exe";
    // The first of each fills the file cache.
    LaunchOnce(ours);
    LaunchOnce(bare);
    constexpr int kLaunches = 15;
    std::vector<Launch> ourLaunches, bareLaunches;
    for (int i = 0; i < kLaunches; ++i) {
        ourLaunches.push_back(LaunchOnce(ours));
        bareLaunches.push_back(LaunchOnce(bare));
    }
    const auto figures = [](const std::vector<Launch>& launches, double Launch::*figure) {
        std::vector<double> values;
        for (const Launch& launch : launches)
            if (launch.*figure >= 0) values.push_back(launch.*figure);
        return values;
    };
    const auto row = [&](const char* measure, double Launch::*figure, const char* format,
                         const char* goal, double limit) {
        const std::vector<double> mine = figures(ourLaunches, figure);
        const std::vector<double> theirs = figures(bareLaunches, figure);
        if (mine.size() != kLaunches || theirs.size() != kLaunches) {
            Row(measure,
                std::to_string(2 * kLaunches - mine.size() - theirs.size()) + " launches failed",
                goal, false);
            return;
        }
        const double ratio = Median(mine) / Median(theirs);
        Row(measure,
            Format(format, Median(mine)) + " vs " + Format(format, Median(theirs)) + ": ratio " +
                Format("%.2f", ratio),
            goal, ratio <= limit);
    };
    row("Windows: start-up (launch to shown, painted, idle window), median of 15, vs a bare Win32 "
        "window with the same controls, texts, font and manifest",
        &Launch::startupUs, "%.0f us", "ratio <= 1.10", 1.10);
    row("Windows: peak working set after start-up, median of 15, vs the same bare Win32 window",
        &Launch::peakMiB, "%.1f MiB", "ratio <= 1.05", 1.05);
}

void BenchRoundTrip() {
    const char* measure = "Windows: read round trip through Wine's serial layer, median";
    if (CROpenCom("COM1", 115200) != QOR_OPENED) {
        Row(measure, "could not open COM1", "< 2 ms", false);
        return;
    }
    std::vector<double> samples;
    for (int i = 0; i < 1000; ++i) {
        std::int32_t aux = 0;
        unsigned char sn[11];
        const auto start = Clock::now();
        const std::int32_t result = CRReadCardSN(&aux, sn, 2, 3);
        if (result == QOR_OK) samples.push_back(Microseconds(Clock::now() - start));
    }
    CRCloseCom();
    if (samples.empty()) {
        Row(measure, "no read succeeded", "< 2 ms", false);
        return;
    }
    const double median = Median(samples) / 1000;
    Row(measure, Format("%.3f ms", median), "< 2 ms", median < 2);
    Row("Windows: read round trip through Wine's serial layer, 99th percentile",
        Format("%.3f ms", Percentile(samples, 0.99) / 1000), "-", true);
}

}  // namespace

int main() {
    BenchStartupAndMemory();
    BenchRoundTrip();
    return 0;
}
