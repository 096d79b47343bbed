#include <gtest/gtest.h>

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

}  // namespace
