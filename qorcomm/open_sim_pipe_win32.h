// When the library trusts a simulator's pipe for COMn, and opens it: the
// rule of platform/PORTS.md ("`COMn`"), the counterpart of the Linux
// alias. The names it looks for are the simulator's too
// (platform/sim_pipe_win32.h).
#ifndef QORCOMM_OPEN_SIM_PIPE_WIN32_H
#define QORCOMM_OPEN_SIM_PIPE_WIN32_H

#include <windows.h>

#include <string_view>

#include "handle_win32.h"

namespace qorcomm {

// Whether the server end of `pipe` belongs to a process of this process's
// user. False whenever that cannot be told.
bool ServerRunsAsCaller(HANDLE pipe);

// The last question OpenSimPipe asks of an opened pipe; a test gives its own.
using PipeServerCheck = bool (*)(HANDLE pipe);

struct SimPipe {
    enum class State {
        Opened,     // `handle` is the open client end, for overlapped I/O
        Busy,       // this user's simulator serves it, with another client connected
        NotServed,  // no simulator of this user serves it: use the system's port
    };
    State state = State::NotServed;
    qorplatform::Handle handle;
};

// For the port name `portName`: opens the client end of its pipe when this
// user's claim on the port is there, the pipe is owned by this user too and
// `serverCheck` accepts its server; closes it again when a check refuses.
SimPipe OpenSimPipe(std::string_view portName, PipeServerCheck serverCheck = ServerRunsAsCaller);

}  // namespace qorcomm

#endif  // QORCOMM_OPEN_SIM_PIPE_WIN32_H
