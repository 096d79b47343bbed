// The longest port name the library tries, in bytes of the caller's text:
// no longer name could be a path the system takes, so one is refused before
// anything is tried. Each system has its own (port_name_limit_<platform>.cpp).
#ifndef QORCOMM_PORT_NAME_LIMIT_H
#define QORCOMM_PORT_NAME_LIMIT_H

#include <cstddef>

namespace qorcomm {

extern const std::size_t kMaxPortName;

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_LIMIT_H
