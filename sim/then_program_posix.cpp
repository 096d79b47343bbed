#include "then_program_posix.h"

#include "system_failure.h"

#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qorsim {

namespace {

constexpr auto kGraceAfterTerm = std::chrono::seconds(3);

}  // namespace

ThenProgram::ThenProgram(const std::string& program) {
    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0)
        throw std::runtime_error("cannot start " + program);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string name = program;
    char* const argv[] = {name.data(), nullptr};
    const int failed = ::posix_spawnp(&pid_, name.c_str(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        throw SystemFailure("cannot start " + program, static_cast<unsigned long>(failed));
}

ThenProgram::~ThenProgram() {
    if (HasEnded()) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kGraceAfterTerm;
    while (!HasEnded()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
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

}  // namespace qorsim
