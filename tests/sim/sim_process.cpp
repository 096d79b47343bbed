#include "sim_process.h"

#include "deadline.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace simtest {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

PrivateRuntimeDir::PrivateRuntimeDir() {
    if (const char* previous = std::getenv("XDG_RUNTIME_DIR")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "qor-sim-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
}

PrivateRuntimeDir::~PrivateRuntimeDir() {
    if (hadPrevious_)
        ::setenv("XDG_RUNTIME_DIR", previous_.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

SimProcess::SimProcess(const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe failed");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);

    std::vector<std::string> argStrings{QOR_SIM_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings) argv.push_back(arg.data());
    argv.push_back(nullptr);

    const int failed = ::posix_spawn(&pid_, QOR_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " QOR_SIM_PATH);
    }
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
    ::close(err_);
}

std::string SimProcess::Line(std::size_t index, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < index && start != std::string::npos; ++i) {
            start = pendingOut_.find('\n', start);
            if (start != std::string::npos) ++start;
        }
        if (start != std::string::npos) {
            if (const auto newline = pendingOut_.find('\n', start); newline != std::string::npos)
                return pendingOut_.substr(start, newline - start);
        }
        pollfd watched{out_, POLLIN, 0};
        if (::poll(&watched, 1, qorplatform::MillisecondsUntil<int>(deadline)) <= 0) return {};
        char buffer[256];
        const ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) return {};
        pendingOut_.append(buffer, static_cast<std::size_t>(n));
    }
}

int SimProcess::Stop(int signo) {
    ::kill(pid_, signo);
    return WaitForExit();
}

int SimProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 || Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string SimProcess::ErrorOutput() {
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(err_, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

}  // namespace simtest
