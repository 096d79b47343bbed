#pragma once

#include "responder.h"

#include <ostream>

namespace qorsim {

// Answers the requests arriving on `master` until a signal can be read from
// `signals` (a signalfd). `log`, when given, gets a line per answered
// request. Throws std::system_error when the terminal fails.
void Serve(int master, int signals, Responder& responder, std::ostream* log);

}  // namespace qorsim
