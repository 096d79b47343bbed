// Where the library finds a simulator serving COMn on Windows, and when it
// trusts one: the counterpart of the Linux alias (port_alias_folder.h). The
// simulator names its pipes and makes their DACL with these same pieces.
//
// COMn leads to the pipe "\\.\pipe\qor-sim-COMn" only while a simulator
// serves it, and only when that simulator runs as the caller's own user;
// otherwise to the system's \\.\COMn.
#ifndef QORCOMM_SIM_PIPE_WIN32_H
#define QORCOMM_SIM_PIPE_WIN32_H

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorcomm {

// "\\.\pipe\qor-sim-COMn" for a name ComPortNumber takes, with n as it
// reads it (so com1 and COM1 share a pipe); nothing for any other name.
std::optional<std::wstring> SimPipeName(std::string_view portName);

// The user a process runs as, from its token.
class ProcessUser {
public:
    // Nothing when the process or its token cannot be read.
    static std::optional<ProcessUser> Of(HANDLE process);

    PSID Sid() const;
    bool operator==(const ProcessUser& other) const;

private:
    // A TOKEN_USER and the SID it points into; 8-byte units keep it aligned.
    std::vector<std::uint64_t> token_;
};

// Whether the server end of `pipe` belongs to a process of this process's
// user. False whenever that cannot be told.
bool ServerRunsAsCaller(HANDLE pipe);

// The question OpenSimPipe asks of an opened pipe; a test gives its own.
using PipeOwnerCheck = bool (*)(HANDLE pipe);

struct SimPipe {
    enum class State {
        Opened,     // `handle` is the open client end, for overlapped I/O
        Busy,       // a simulator serves it, with another client connected
        NotServed,  // no simulator of this user serves it: use the system's port
    };
    State state = State::NotServed;
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// Opens the client end of the pipe `name` when a simulator serves it and
// `ownerCheck` accepts its server; closes it again when the check refuses.
// The caller owns an Opened handle.
SimPipe OpenSimPipe(const std::wstring& name, PipeOwnerCheck ownerCheck = ServerRunsAsCaller);

}  // namespace qorcomm

#endif  // QORCOMM_SIM_PIPE_WIN32_H
