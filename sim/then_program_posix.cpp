#include "then_program_posix.h"

#include <spawn.h>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace qorsim {

pid_t StartProgram(const std::string& program) {
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
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, name.c_str(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
    return pid;
}

}  // namespace qorsim
