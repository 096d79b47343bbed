// The names a simulator serves COMn by on Windows, which the library looks
// for: the counterpart of the Linux alias (port_alias_posix.h). When the
// library trusts what it finds is its own (qorcomm/open_sim_pipe_win32.h).
#ifndef QORPLATFORM_SIM_PIPE_WIN32_H
#define QORPLATFORM_SIM_PIPE_WIN32_H

#include <optional>
#include <string>
#include <string_view>

namespace qorplatform {

// "\\.\pipe\qor-sim-COMn" for a name SystemComPortNumber takes, with n as
// it reads it (so com1, COM1: and \\.\COM1 share a pipe); nothing for any
// other name.
std::optional<std::wstring> SimPipeName(std::string_view portName);

// "Local\qor-sim-COMn", the mutex a simulator makes in its session's own
// namespace before it makes COMn's pipe, owned by its user and open to that
// user alone, and holds while it serves; nothing for a name that is no COMn.
std::optional<std::wstring> SimClaimName(std::string_view portName);

}  // namespace qorplatform

#endif  // QORPLATFORM_SIM_PIPE_WIN32_H
