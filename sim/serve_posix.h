#pragma once

#include "conversation.h"

#include <sys/types.h>

#include <optional>
#include <ostream>

namespace qorsim {

// Answers the requests arriving on `line` (a pseudo-terminal's master or a
// serial line) until a shutdown signal can be read from `signals` (a
// signalfd that also takes SIGCHLD) or, when `program` is given, that child
// has ended and been reaped. `log`, when given, hears why it stopped.
// Throws std::runtime_error when the line fails.
void Serve(int line, int signals, Conversation& conversation, std::optional<pid_t> program,
           std::ostream* log);

}  // namespace qorsim
