#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace simtest {

// A fresh XDG_RUNTIME_DIR for this test process and the simulators it
// starts, so aliases never meet a real session's or a parallel test's.
class PrivateRuntimeDir {
public:
    PrivateRuntimeDir();
    ~PrivateRuntimeDir();
    PrivateRuntimeDir(const PrivateRuntimeDir&) = delete;
    PrivateRuntimeDir& operator=(const PrivateRuntimeDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Alias(const std::string& port) const { return path_ / "qorcomm" / port; }

private:
    std::filesystem::path path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The real qor-sim binary as a child process, its stdout and stderr piped.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args);
    // Kills the simulator if a test left it running.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The first line the simulator printed (the terminal's path), without
    // its newline; empty when none came within the timeout.
    std::string FirstLine(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return Line(0, timeout);
    }
    // Line `index` (from 0) of what it printed, likewise.
    std::string Line(std::size_t index,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Sends `signo` and waits; see waitForExit.
    int Stop(int signo = SIGTERM);

    // The exit code, or 128 + the signal that killed it; -1 when it was
    // still running after the timeout.
    int WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    pid_t Pid() const { return pid_; }

    // Everything it wrote on stderr; call once it has exited.
    std::string ErrorOutput();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string pendingOut_;
};

}  // namespace simtest
