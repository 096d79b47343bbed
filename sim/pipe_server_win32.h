#pragma once

#include "handle_win32.h"

#include <string>

namespace qorsim {

// What the library finds COMn by (platform/sim_pipe_win32.h) while this
// simulator serves it.
struct PipeServer {
    // This user's claim on the port; declared first, so it is let go of last.
    qorplatform::Handle claim;
    // The server end: the first and only instance of its name, byte mode,
    // local clients only, one at a time.
    qorplatform::Handle pipe;
};

// Claims the port `portName` (COMn) for this user, then creates the pipe
// `name`; both are owned by this process's user and open to nobody else.
// Throws std::runtime_error with a message for the user, also when another
// simulator of this user serves the port, or another user holds its claim or
// its pipe.
PipeServer CreatePipeServer(const std::wstring& name, const std::string& portName);

}  // namespace qorsim
