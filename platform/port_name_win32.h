// COMn on Windows: a simulator's pipe while one of this user serves it
// (sim_pipe_win32.h), else the system's own \\.\COMn.
#ifndef QORPLATFORM_PORT_NAME_WIN32_H
#define QORPLATFORM_PORT_NAME_WIN32_H

#include <optional>
#include <string>
#include <string_view>

#include "port_name.h"

namespace qorplatform {

// The device path for `name`: "COMn" becomes "\\.\COMn" (without the
// prefix, COM10 and up would be file names); any other name is returned as
// it is, its bytes in the ANSI code page.
std::string ResolvePortName(std::string_view name);

// `name` from the ANSI code page to UTF-16, for the W functions; nothing when
// it holds bytes that code page has no character for.
std::optional<std::wstring> WidePortName(std::string_view name);

// The name of the system-wide object that stands for "this port is open",
// the same for every spelling of one port (COM1, com1, \\.\COM1, //./com1),
// different for different ports. `path` is the resolved, wide name.
std::wstring PortLockName(std::wstring_view path);

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_NAME_WIN32_H
