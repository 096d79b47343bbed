// Prints one table of speed and size figures for the program, each set
// against a goal. Run it from a Release build: scripts/bench.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "bare_window.h"
#include "instant_library.h"
#include "main_window.h"
#include "qorcomm.h"
#include "reader_controller.h"
#include "sim_process.h"
#include "statistics.h"

extern char** environ;

namespace {

using bench::Clock;
using bench::Median;
using bench::Microseconds;
using bench::Percentile;

struct Row {
    std::string measure;
    std::string value;
    std::string goal;
    bool met;
};
std::vector<Row> rows;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

class SilentView : public qor::ReaderView {
public:
    void SetOpenComEnabled(bool) override {}
    void SetCloseComEnabled(bool) override {}
    void SetCardSn(std::string_view) override {}
    void AppendLog(std::string_view) override {}
    void SetBusy(bool) override {}
};

using bench::InstantLibrary;

double MicrosecondsPerCall(const std::function<void()>& call) {
    constexpr int kCalls = 20000;
    std::vector<double> batches;
    for (int batch = 0; batch < 5; ++batch) {
        const auto start = Clock::now();
        for (int i = 0; i < kCalls; ++i) call();
        batches.push_back(Microseconds(Clock::now() - start) / kCalls);
    }
    return Median(batches);
}

void BenchCommands() {
    InstantLibrary library;
    SilentView view;
    qor::ReaderController controller(library, view);
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"OpenPort", [&] { controller.OpenPort(" COM1 ", "9600"); }},
        {"ClosePort", [&] { controller.ClosePort(); }},
        {"ReadCardNumber", [&] { controller.ReadCardNumber(2, 3); }},
        {"ShutdownPort", [&] { controller.ShutdownPort(); }},
    };
    for (const auto& [name, call] : commands) {
        const double us = MicrosecondsPerCall(call);
        rows.push_back(
            {std::string(name) + ", fake library", Format("%.2f us", us), "microseconds", us < 10});
    }
}

// Waits for the widget's first paint, which offscreen follows its show().
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

double StartupMicroseconds(const std::function<QWidget*()>& make) {
    const auto start = Clock::now();
    QWidget* window = make();
    PaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double us = Microseconds(Clock::now() - start);
    window->removeEventFilter(&watch);
    delete window;
    QApplication::processEvents();
    return us;
}

void BenchStartup() {
    InstantLibrary library;
    const auto form = [&library]() -> QWidget* { return new qor::Form1(library); };
    StartupMicroseconds(form);  // the first of each pays for fonts and styles
    StartupMicroseconds(MakeBareWindow);
    std::vector<double> ours, bare;
    for (int i = 0; i < 30; ++i) {
        ours.push_back(StartupMicroseconds(form));
        bare.push_back(StartupMicroseconds(MakeBareWindow));
    }
    const double ratio = Median(ours) / Median(bare);
    rows.push_back({"window start-up (construct, show, first paint), median",
                    Format("%.0f us", Median(ours)) + " vs bare " +
                        Format("%.0f us", Median(bare)) + ": ratio " + Format("%.2f", ratio),
                    "ratio <= 1.25", ratio <= 1.25});
}

// An operator's lines come one at a time with the event loop running in
// between, so each append is timed with the layout and paint it causes; a
// view that relaid out every line per append would take seconds per
// thousand lines at 100,000 instead of milliseconds.
void BenchLogAppend() {
    InstantLibrary library;
    qor::Form1 form(library);
    form.show();
    QApplication::processEvents();
    const auto perLine = [&form] {
        std::vector<double> batches;
        for (int batch = 0; batch < 5; ++batch) {
            const auto start = Clock::now();
            for (int i = 0; i < 200; ++i) {
                form.AppendLog("读取卡号：0000B2C3D4");
                QApplication::processEvents();
            }
            batches.push_back(Microseconds(Clock::now() - start) / 200);
        }
        return Median(batches);
    };
    for (int i = 0; i < 10; ++i) form.AppendLog("");
    const double few = perLine();
    for (int i = 0; i < 100000; ++i) form.AppendLog("打开串口成功");
    QApplication::processEvents();
    const double many = perLine();
    rows.push_back({"append one log line at 10 lines", Format("%.1f us", few), "-", true});
    rows.push_back({"append one log line at 100,000 lines", Format("%.1f us", many),
                    "no growth (<= 3x)", many <= 3 * few});
}

long PeakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Starts a program offscreen and reads its peak resident memory once it has
// settled after start-up (no change for half a second, 10 s at most).
long SettledPeakKiB(const std::string& program, const char* argument = nullptr) {
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;

    long peak = -1;
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long now = PeakResidentKiB(pid);
        steady = now == peak && now > 0 ? steady + 1 : 0;
        peak = now;
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return peak;
}

void BenchMemory(const std::string& binFolder) {
    const long ours = SettledPeakKiB(binFolder + "/qor-demo");
    const long bare = SettledPeakKiB(binFolder + "/bare-qt-window");
    const long bareWithTexts = SettledPeakKiB(binFolder + "/bare-qt-window", "--texts");
    const auto row = [ours](const char* measure, long yardstick) {
        const double ratio = static_cast<double>(ours) / static_cast<double>(yardstick);
        rows.push_back({measure,
                        Format("%.1f MiB", ours / 1024.0) + " vs " +
                            Format("%.1f MiB", yardstick / 1024.0) + ": ratio " +
                            Format("%.2f", ratio),
                        "ratio <= 1.15", ours > 0 && yardstick > 0 && ratio <= 1.15});
    };
    row("peak resident memory after start-up, vs a bare Qt window", bare);
    row("the same, vs a bare Qt window showing the same texts in the same font", bareWithTexts);
}

void BenchRoundTrip() {
    simtest::SimProcess sim({});
    const std::string pty = sim.FirstLine();
    if (pty.empty() || CROpenCom(pty.c_str(), 115200) != QOR_OPENED) {
        rows.push_back(
            {"read round trip, library and qor-sim", "could not open the simulator", "-", false});
        return;
    }
    std::vector<double> samples;
    for (int i = 0; i < 2000; ++i) {
        std::int32_t aux = 0;
        unsigned char sn[11];
        const auto start = Clock::now();
        const std::int32_t result = CRReadCardSN(&aux, sn, 2, 3);
        const double us = Microseconds(Clock::now() - start);
        if (result == QOR_OK) samples.push_back(us);
    }
    CRCloseCom();
    sim.Stop();
    if (samples.empty()) {
        rows.push_back({"read round trip, library and qor-sim", "no read succeeded", "-", false});
        return;
    }
    const double median = Median(samples) / 1000, p99 = Percentile(samples, 0.99) / 1000;
    rows.push_back({"read round trip over a pseudo-terminal, median", Format("%.3f ms", median),
                    "< 2 ms", median < 2});
    rows.push_back({"read round trip over a pseudo-terminal, 99th percentile",
                    Format("%.3f ms", p99), "-", true});
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string binFolder = QCoreApplication::applicationDirPath().toStdString();

    BenchCommands();
    BenchLogAppend();
    BenchStartup();
    BenchMemory(binFolder);
    BenchRoundTrip();

    std::printf("| measure | figure | goal | met |\n|---|---|---|---|\n");
    // A figure without a goal is shown, not judged.
    for (const Row& row : rows)
        std::printf("| %s | %s | %s | %s |\n", row.measure.c_str(), row.value.c_str(),
                    row.goal.c_str(),
                    row.goal == "-" ? "-"
                    : row.met       ? "yes"
                                    : "no");
    return 0;
}
