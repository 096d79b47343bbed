// Turns the port name the caller gives into the device path to open.
#ifndef QORCOMM_PORT_NAME_H
#define QORCOMM_PORT_NAME_H

#include <optional>
#include <string>
#include <string_view>

namespace qorcomm {

// n of a "COMn" name: "COM" in any case, then n >= 1 in at most 9 decimal
// digits, no sign and no leading zero. Nothing for any other name, which is
// then a path.
std::optional<unsigned> ComPortNumber(std::string_view name);

// The device path for `name`, by this platform's rule (port_name_posix.h,
// port_name_win32.h). Bytes are kept as they are, in the system's 8-bit
// encoding.
std::string ResolvePortName(std::string_view name);

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_H
