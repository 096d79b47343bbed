// The Windows build's rows of the benchmark table, run under Wine by
// scripts/bench: start-up and memory against a bare window with the same
// controls, and the read round trip through Wine's serial layer to qor-sim
// on COM1.
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bare_window.h"
#include "instant_library.h"
#include "main_window.h"
#include "qorcomm.h"
#include "statistics.h"

namespace {

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

using bench::InstantLibrary;

void Drain() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Construct, show and paint once; `make` returns the top-level window and
// `destroy` takes it away again.
double StartupMicroseconds(const std::function<HWND()>& make,
                           const std::function<void()>& destroy) {
    const auto start = Clock::now();
    HWND window = make();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    const double us = Microseconds(Clock::now() - start);
    destroy();
    Drain();
    return us;
}

void BenchStartup() {
    InstantLibrary library;
    std::unique_ptr<qor::Form1> form;
    HWND bare = nullptr;
    const auto makeForm = [&] {
        form = std::make_unique<qor::Form1>(library);
        return form->Handle();
    };
    const auto destroyForm = [&] { form.reset(); };
    const auto makeBare = [&] { return bare = MakeBareWindow(); };
    const auto makeBareWithTexts = [&] { return bare = MakeBareWindow(true); };
    const auto destroyBare = [&] { DestroyWindow(bare); };
    // The first of each pays for classes and fonts.
    StartupMicroseconds(makeForm, destroyForm);
    StartupMicroseconds(makeBare, destroyBare);
    StartupMicroseconds(makeBareWithTexts, destroyBare);
    std::vector<double> ours, yardstick, yardstickWithTexts;
    for (int i = 0; i < 30; ++i) {
        ours.push_back(StartupMicroseconds(makeForm, destroyForm));
        yardstick.push_back(StartupMicroseconds(makeBare, destroyBare));
        yardstickWithTexts.push_back(StartupMicroseconds(makeBareWithTexts, destroyBare));
    }
    const auto row = [&](const char* measure, const std::vector<double>& against) {
        const double ratio = Median(ours) / Median(against);
        Row(measure,
            Format("%.0f us", Median(ours)) + " vs " + Format("%.0f us", Median(against)) +
                ": ratio " + Format("%.2f", ratio),
            "ratio <= 1.10", ratio <= 1.10);
    };
    row("Windows: window start-up (construct, show, first paint), median, vs a bare Win32 window",
        yardstick);
    row("Windows: the same, vs a bare Win32 window showing the same texts in the same font",
        yardstickWithTexts);
}

// Starts a program and reads its peak working set once start-up has settled
// (no change for half a second, 10 s at most).
double SettledPeakMiB(const std::wstring& program, const std::wstring& arguments = L"") {
    std::wstring command = L"\"" + program + L"\"" + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForInputIdle(process.hProcess, 10000);
    SIZE_T peak = 0;
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
        Sleep(100);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
        steady = counters.PeakWorkingSetSize == peak && peak > 0 ? steady + 1 : 0;
        peak = counters.PeakWorkingSetSize;
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<double>(peak) / (1024.0 * 1024.0);
}

void BenchMemory() {
    const double ours = SettledPeakMiB(ProgramFolder() + L"\\qor-demo.exe");
    const auto row = [&](const char* measure, const std::wstring& arguments) {
        const double bare = SettledPeakMiB(ProgramFolder() + L"\\bare-win32-window.exe", arguments);
        const double ratio = ours / bare;
        Row(measure,
            Format("%.1f MiB", ours) + " vs " + Format("%.1f MiB", bare) + ": ratio " +
                Format("%.2f", ratio),
            "ratio <= 1.10", ours > 0 && bare > 0 && ratio <= 1.10);
    };
    row("Windows: peak working set after start-up, vs a bare Win32 window", L"");
    row("Windows: the same, vs a bare Win32 window showing the same texts in the same font",
        L" --texts");
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
    BenchStartup();
    BenchMemory();
    BenchRoundTrip();
    return 0;
}
