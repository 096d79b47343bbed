// The port name a caller gives, and the device it leads to: the COMn rule of
// platform/PORTS.md ("`COMn`"), for the library and the simulator alike.
#ifndef QORPLATFORM_PORT_NAME_H
#define QORPLATFORM_PORT_NAME_H

#include <cstddef>
#include <optional>
#include <string_view>

namespace qorplatform {

// The most digits n of a COMn name may have: keeps n comfortably inside an
// unsigned and a device path short; a longer number names no port anyone has.
inline constexpr std::size_t kMaxComDigits = 9;

// n of a "COMn" name (COM1, com12; not COM0 or COM01); nothing for any
// other name, which is then a path. Where each leads is the platform's
// (port_name_posix.h, port_name_win32.h).
std::optional<unsigned> ComPortNumber(std::string_view name);

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_NAME_H
