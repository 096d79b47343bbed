#pragma once

#include <sys/types.h>

#include <string>

namespace qorsim {

// Starts `program` (looked up in PATH when it has no slash) with no
// arguments, in this process's environment, with the signal mask and the
// SIGPIPE disposition a program expects rather than the simulator's. Gives
// its pid; throws std::runtime_error when it cannot be started.
pid_t StartProgram(const std::string& program);

}  // namespace qorsim
