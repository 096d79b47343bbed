#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Whether the process has a handler of its own for `signal`, as the kernel
// sees it: the program installs its handlers only once its window exists.
bool Catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigCgt:")) {
            const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
            return ((caught >> (signal - 1)) & 1u) != 0;
        }
    }
    return false;
}

// The wait status once the process has ended, or nothing if it is still
// running after `limit`.
std::optional<int> Reap(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(20ms);
    }
}

// Starts qor-demo with the call-noting library first on the loader's path.
pid_t StartProgram(const fs::path& callLog, bool closeHangs = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        // This test runs no threads of its own, so the child may use setenv.
        if (closeHangs) setenv("QOR_TEST_CLOSE_HANGS", "1", 1);
        setenv("LD_LIBRARY_PATH", CALL_LOG_LIBRARY_DIR, 1);
        setenv("QOR_TEST_CALL_LOG", callLog.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(QOR_DEMO, QOR_DEMO, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

std::string Contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits up to 20 s for the program's signal handlers.
void AwaitHandlers(pid_t pid, int signal) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!Catches(pid, signal) && std::chrono::steady_clock::now() < deadline) {
        if (const auto ended = Reap(pid, 0ms)) FAIL() << "ended early, status " << *ended;
        std::this_thread::sleep_for(20ms);
    }
}

// Runs the program until `signal` ends it, as a desktop session or a
// terminal would.
void ExpectCleanCloseOn(int signal) {
    // The library RUNPATH would find: the one on LD_LIBRARY_PATH must win.
    ASSERT_TRUE(fs::exists(fs::path(QOR_DEMO).parent_path() / "libQORComm.so"));

    const fs::path callLog =
        fs::path(::testing::TempDir()) /
        ("qor-demo-calls-" + std::to_string(getpid()) + "-" + std::to_string(signal));
    fs::remove(callLog);

    const pid_t pid = StartProgram(callLog);
    ASSERT_GT(pid, 0);
    AwaitHandlers(pid, signal);
    kill(pid, signal);

    const std::optional<int> status = Reap(pid, 20s);
    if (!status) {
        kill(pid, SIGKILL);
        Reap(pid, 5s);
        FAIL() << "still running after " << strsignal(signal);
    }
    EXPECT_TRUE(WIFEXITED(*status)) << "status " << *status;
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    // Exactly one close, and in the library from LD_LIBRARY_PATH.
    EXPECT_EQ(Contents(callLog), "CRCloseCom\n");
    fs::remove(callLog);
}

TEST(Program, SigtermClosesTheWindowAndReleasesThePortOnce) { ExpectCleanCloseOn(SIGTERM); }
TEST(Program, SigintClosesTheWindowAndReleasesThePortOnce) { ExpectCleanCloseOn(SIGINT); }
TEST(Program, SighupClosesTheWindowAndReleasesThePortOnce) { ExpectCleanCloseOn(SIGHUP); }

// The first SIGTERM closes the window, whose close call never returns; the
// second ends the program all the same, and by that signal, as a program
// that never caught it would end.
TEST(Program, SecondSignalDuringACallThatNeverReturnsEndsItAtOnce) {
    const fs::path callLog =
        fs::path(::testing::TempDir()) / ("qor-demo-hang-" + std::to_string(getpid()));
    fs::remove(callLog);
    const pid_t pid = StartProgram(callLog, true);
    ASSERT_GT(pid, 0);
    AwaitHandlers(pid, SIGTERM);
    kill(pid, SIGTERM);
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
         Contents(callLog).empty() && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(20ms);
    ASSERT_EQ(Contents(callLog), "CRCloseCom\n");

    kill(pid, SIGTERM);
    const std::optional<int> status = Reap(pid, 1s);
    if (!status) {
        kill(pid, SIGKILL);
        Reap(pid, 5s);
        FAIL() << "still running 1 s after the second SIGTERM";
    }
    EXPECT_TRUE(WIFSIGNALED(*status)) << "status " << *status;
    EXPECT_EQ(WTERMSIG(*status), SIGTERM) << "status " << *status;
    fs::remove(callLog);
}

// --- started by the simulator -----------------------------------------------

// What the program's run under `qor-sim --then` needs: its call log, a
// FIFO that holds a read until it is opened, the program's pid as the
// --then script notes it, and that script.
class UnderSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder);
        ASSERT_EQ(mkfifo(readWaitsFor.c_str(), 0600), 0);
        std::ofstream(script) << "#!/bin/sh\necho $$ > " << pidFile
                              << "\nLD_PRELOAD=" << AT_START_LIBRARY << " exec " << QOR_DEMO
                              << "\n";
        fs::permissions(script, fs::perms::owner_all);
    }
    void TearDown() override {
        if (sim > 0 && !ReapSimulator(0ms)) {
            kill(-sim, SIGKILL);
            ReapSimulator(5s);
        }
        if (const pid_t window = WindowPid(0ms); window > 0) kill(window, SIGKILL);
        fs::remove_all(folder);
    }

    // Starts qor-sim --then the script in a process group of its own, as a
    // shell starts a job; `click` is the button the program clicks at start.
    void StartSimulator(const char* click) {
        sim = fork();
        if (sim == 0) {
            setpgid(0, 0);
            if (click != nullptr) setenv("QOR_TEST_CLICK", click, 1);
            setenv("QOR_TEST_READ_WAITS_FOR", readWaitsFor.c_str(), 1);
            setenv("LD_LIBRARY_PATH", CALL_LOG_LIBRARY_DIR, 1);
            setenv("QOR_TEST_CALL_LOG", callLog.c_str(), 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execl(QOR_SIM, QOR_SIM, "--then", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(sim, 0);
        setpgid(sim, sim);
    }

    // The simulator's wait status, once it has ended within `limit`.
    std::optional<int> ReapSimulator(std::chrono::milliseconds limit) {
        const std::optional<int> status = Reap(sim, limit);
        if (status) sim = -1;
        return status;
    }

    // The program's pid once its script has noted it, 0 if not within `limit`.
    pid_t WindowPid(std::chrono::milliseconds limit = 20s) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            pid_t pid = 0;
            std::ifstream(pidFile) >> pid;
            if (pid > 0 || std::chrono::steady_clock::now() >= deadline) return pid;
            std::this_thread::sleep_for(20ms);
        }
    }

    // Waits up to `limit` for the call log to read `expected`.
    bool AwaitLog(const std::string& expected, std::chrono::milliseconds limit = 20s) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (Contents(callLog) != expected) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    const fs::path folder =
        fs::path(::testing::TempDir()) / ("qor-demo-under-sim-" + std::to_string(getpid()));
    const fs::path callLog = folder / "calls";
    const fs::path readWaitsFor = folder / "read";
    const fs::path pidFile = folder / "pid";
    const fs::path script = folder / "window";
    pid_t sim = -1;
};

// Whether `pid`, not a child of this process, has ended: gone, or a zombie
// its new parent has not reaped yet.
bool Ended(pid_t pid) {
    if (kill(pid, 0) != 0) return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t name = line.rfind(')');
    return name == std::string::npos || line.substr(name + 2, 1) == "Z";
}

// Ctrl+C in the terminal goes to the simulator's whole group while a read
// runs. The program must hear one request to close, not that and the
// simulator's SIGTERM as a second: it closes once the read returns and
// exits as a closed window does.
TEST_F(UnderSimulator, CtrlCDuringAReadIsOneRequestToClose) {
    StartSimulator("btnReadCard");
    ASSERT_TRUE(AwaitLog("CRReadCardSN\n")) << Contents(callLog);

    kill(-sim, SIGINT);
    // Time for every signal to arrive while the read still runs.
    std::this_thread::sleep_for(500ms);
    const int fifo = open(readWaitsFor.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_GE(fifo, 0) << "the program ended during the read";
    if (fifo >= 0) close(fifo);

    const std::optional<int> status = ReapSimulator(10s);
    ASSERT_TRUE(status) << "the simulator still runs";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status;
    EXPECT_EQ(Contents(callLog), "CRReadCardSN\nCRCloseCom\nexit 0\n");
}

// However the simulator goes, SIGKILL included, its program goes with it,
// and on SIGTERM, so the window still closes its port.
TEST_F(UnderSimulator, KilledSimulatorTakesTheProgramAlong) {
    StartSimulator(nullptr);
    const pid_t window = WindowPid();
    ASSERT_GT(window, 0);
    AwaitHandlers(window, SIGTERM);

    kill(sim, SIGKILL);
    ASSERT_TRUE(ReapSimulator(5s));
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    while (!Ended(window) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(Ended(window)) << "the program outlived the simulator by 1 s";
    EXPECT_TRUE(AwaitLog("CRCloseCom\nexit 0\n", 5s)) << Contents(callLog);
}

}  // namespace
