// The port name a caller gives, and the device it leads to: the COMn rule of
// qorcomm/PROTOCOL.md ("The port"), for the library and the simulator alike.
#ifndef QORPLATFORM_PORT_NAME_H
#define QORPLATFORM_PORT_NAME_H

#include <optional>
#include <string>
#include <string_view>

namespace qorplatform {

// n of a "COMn" name (COM1, com12; not COM0 or COM01); nothing for any
// other name, which is then a path.
std::optional<unsigned> ComPortNumber(std::string_view name);

// The device path for `name` by this platform's rule (port_name_posix.h,
// port_name_win32.h). Bytes are kept as they are, in the system's 8-bit
// encoding.
std::string ResolvePortName(std::string_view name);

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_NAME_H
