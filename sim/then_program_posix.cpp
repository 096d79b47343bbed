#include "then_program_posix.h"

#include "system_failure.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

namespace qorsim {

namespace {

constexpr auto kGraceAfterTerm = std::chrono::seconds(3);

// In the child, between fork and exec: only calls that are safe there.
// Tells the parent why through `report` when the program cannot be started.
[[noreturn]] void BecomeProgram(char* const argv[], pid_t parent, int report) {
    // A group of its own: a terminal's Ctrl+C, which goes to the terminal's
    // foreground group, then reaches the simulator alone, and the program
    // hears it once, as the simulator's SIGTERM.
    ::setpgid(0, 0);
    // SIGTERM rather than SIGKILL, so a window still closes its port.
    int error = ::prctl(PR_SET_PDEATHSIG, SIGTERM) == 0 ? 0 : errno;
    // A simulator that ended before that was asked would never send it.
    if (error == 0 && ::getppid() != parent) _exit(0);
    if (error == 0) {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::execvp(argv[0], argv);
        error = errno;
    }
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    _exit(127);
}

}  // namespace

ThenProgram::ThenProgram(const std::string& program) {
    std::string name = program;
    char* const argv[] = {name.data(), nullptr};
    // Closed by a successful exec: reading nothing from it means started.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) throw SystemFailure("cannot start " + program);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) BecomeProgram(argv, parent, report[1]);
    const int forkError = errno;
    ::close(report[1]);
    if (pid_ < 0) {
        ::close(report[0]);
        throw SystemFailure("cannot start " + program, static_cast<unsigned long>(forkError));
    }
    // Also here, so the group exists whichever of the two runs first.
    ::setpgid(pid_, pid_);

    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got > 0) {
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        ended_ = true;
        throw SystemFailure("cannot start " + program, static_cast<unsigned long>(error));
    }
}

ThenProgram::~ThenProgram() {
    if (HasEnded()) return;
    Signal(SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kGraceAfterTerm;
    while (!HasEnded()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            Signal(SIGKILL);
            while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ThenProgram::HasEnded() {
    if (!ended_) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        ended_ = done == pid_ || (done < 0 && errno == ECHILD);
    }
    return ended_;
}

void ThenProgram::Signal(int signal) {
    // Its whole group, so what a script started goes too; the program alone
    // when it has left that group.
    if (::kill(-pid_, signal) != 0) ::kill(pid_, signal);
}

}  // namespace qorsim
