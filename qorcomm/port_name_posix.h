// Port names on Linux: COMn leads to a running simulator's alias or a ttyS
// device.
#ifndef QORCOMM_PORT_NAME_POSIX_H
#define QORCOMM_PORT_NAME_POSIX_H

#include <sys/types.h>

#include <string>
#include <string_view>

#include "port_name.h"

namespace qorcomm {

// "COMn" resolves to the alias "<folder>/COMn" of a running simulator, where
// the folder is "$XDG_RUNTIME_DIR/qorcomm", or "/tmp/qorcomm-<uid>" when
// XDG_RUNTIME_DIR is unset or empty; else to "/dev/ttyS<n-1>". The alias is
// taken only when the folder is a real directory owned by `uid` and writable
// by nobody else, and the simulator that made the alias still holds its
// lock (portalias/port_alias_folder.h). Any other name is returned as it is.
// `xdgRuntimeDir` may be null. ResolvePortName(name) is this with the
// process's environment and real user id.
std::string ResolvePortName(std::string_view name, const char* xdgRuntimeDir, uid_t uid);

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_POSIX_H
