// COMn's simulator pipe on Windows, and when the library trusts one: the
// rule of qorcomm/PROTOCOL.md ("The port"), the counterpart of the Linux
// alias (port_alias_posix.h). The simulator names its claim and pipe by it too.
#ifndef QORPLATFORM_SIM_PIPE_WIN32_H
#define QORPLATFORM_SIM_PIPE_WIN32_H

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "handle_win32.h"

namespace qorplatform {

// "\\.\pipe\qor-sim-COMn" for a name SystemComPortNumber takes, with n as
// it reads it (so com1, COM1: and \\.\COM1 share a pipe); nothing for any
// other name.
std::optional<std::wstring> SimPipeName(std::string_view portName);

// "Local\qor-sim-COMn", the mutex a simulator makes in its session's own
// namespace before it makes COMn's pipe, owned by its user and open to that
// user alone, and holds while it serves; nothing for a name that is no COMn.
std::optional<std::wstring> SimClaimName(std::string_view portName);

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
    Handle handle;
};

// For the port name `portName`: opens the client end of its pipe when this
// user's claim on the port is there, the pipe is owned by this user too and
// `serverCheck` accepts its server; closes it again when a check refuses.
SimPipe OpenSimPipe(std::string_view portName, PipeServerCheck serverCheck = ServerRunsAsCaller);

}  // namespace qorplatform

#endif  // QORPLATFORM_SIM_PIPE_WIN32_H
