// Port names on Windows: COMn is the system's own \\.\COMn.
#ifndef QORCOMM_PORT_NAME_WIN32_H
#define QORCOMM_PORT_NAME_WIN32_H

#include <optional>
#include <string>
#include <string_view>

#include "port_name.h"

namespace qorcomm {

// ResolvePortName: "COMn" becomes "\\.\COMn" (without the prefix, COM10 and
// up would be file names); any other name is returned as it is. A simulator
// of this user serving COMn comes first (sim_pipe_win32.h).

// `name` from the ANSI code page to UTF-16, for the W functions; nothing when
// it holds bytes that code page has no character for.
std::optional<std::wstring> WidePortName(std::string_view name);

// The name of the system-wide object that stands for "this port is open",
// the same for every spelling of one port (COM1, com1, \\.\COM1, //./com1),
// different for different ports. `path` is the resolved, wide name.
std::wstring PortLockName(std::wstring_view path);

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_WIN32_H
