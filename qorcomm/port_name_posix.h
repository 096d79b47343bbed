// Port names on Linux: COMn leads to a simulator's alias or a ttyS device.
#ifndef QORCOMM_PORT_NAME_POSIX_H
#define QORCOMM_PORT_NAME_POSIX_H

#include <sys/types.h>

#include <string>
#include <string_view>

#include "port_name.h"

namespace qorcomm {

// "COMn" resolves to the alias "<folder>/COMn" when that exists, where the
// folder is "$XDG_RUNTIME_DIR/qorcomm", or "/tmp/qorcomm-<uid>" when
// XDG_RUNTIME_DIR is unset or empty; else to "/dev/ttyS<n-1>". Any other
// name is returned as it is. `xdg_runtime_dir` may be null.
// ResolvePortName(name) is this with the process's environment and real
// user id.
std::string ResolvePortName(std::string_view name, const char* xdg_runtime_dir, uid_t uid);

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_POSIX_H
