// COMn on Windows: a simulator's pipe while one of this user serves it
// (sim_pipe_win32.h), else the system's own \\.\COMn.
#ifndef QORPLATFORM_PORT_NAME_WIN32_H
#define QORPLATFORM_PORT_NAME_WIN32_H

#include <optional>
#include <string>
#include <string_view>

#include "port_name.h"

namespace qorplatform {

// n of a name that Windows reads as COMn: a name ComPortNumber takes, and
// any other that the system's own path rules lead to the device COMn
// (GetFullPathNameW gives \\.\COMn or \\?\COMn, after any Global\ or
// GLOBALROOT\??\): COM1:, COM1., "COM1 ", \\.\COM12, //./com1, \\?\COM1,
// \\.\Global\COM1, and C:\any\COM1.txt where the system reads that as
// COM1 too. Nothing for any other name. `name` is in the ANSI code page.
std::optional<unsigned> SystemComPortNumber(std::string_view name);

// The device path for `name`: a name SystemComPortNumber takes becomes
// "\\.\COMn" (without the prefix, COM10 and up would be file names); any
// other name is returned as it is, its bytes in the ANSI code page.
std::string ResolvePortName(std::string_view name);

// `name` from the ANSI code page to UTF-16, for the W functions; nothing when
// it holds bytes that code page has no character for.
std::optional<std::wstring> WidePortName(std::string_view name);

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_NAME_WIN32_H
