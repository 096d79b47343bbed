#pragma once

#include "conversation.h"

#include <windows.h>

#include <ostream>

namespace qorsim {

// What ends serving, besides a failure.
struct StopWhen {
    HANDLE console;  // an event, set on Ctrl+C, Ctrl+Break or the console closing
    HANDLE program;  // the --then program's process, or nullptr
};

// Answers the clients of `pipe` (a pipe server opened for overlapped I/O),
// one after another, until `stop`. Throws std::runtime_error when the pipe
// fails. `log`, when given, hears clients come and go and why it stopped.
void ServePipe(HANDLE pipe, Conversation& conversation, const StopWhen& stop, std::ostream* log);

// Answers the requests on `line` (a serial line opened for overlapped I/O
// whose reads wait for every byte asked for) until `stop`. Throws
// std::runtime_error when the line fails.
void ServeLine(HANDLE line, Conversation& conversation, const StopWhen& stop, std::ostream* log);

}  // namespace qorsim
