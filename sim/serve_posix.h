#pragma once

#include "conversation.h"
#include "then_program_posix.h"

#include <ostream>

namespace qorsim {

// Answers the requests arriving on `line` (a pseudo-terminal's master or a
// serial line) until a shutdown signal can be read from `signals` (a
// signalfd that also takes SIGCHLD) or, when `program` is given, that
// program has ended. `log`, when given, hears why it stopped. Throws
// std::runtime_error when the line fails.
void Serve(int line, int signals, Conversation& conversation, ThenProgram* program,
           std::ostream* log);

}  // namespace qorsim
