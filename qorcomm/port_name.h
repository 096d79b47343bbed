// Turns the port name the caller gives into the device path to open.
#ifndef QORCOMM_PORT_NAME_H
#define QORCOMM_PORT_NAME_H

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace qorcomm {

// n of a "COMn" name: "COM" in any case, then n >= 1 in at most 9 decimal
// digits, no sign and no leading zero. Nothing for any other name, which is
// then a path.
std::optional<unsigned> ComPortNumber(std::string_view name);

// "COMn" resolves to the alias "<folder>/COMn" when that exists, where the
// folder is "$XDG_RUNTIME_DIR/qorcomm", or "/tmp/qorcomm-<uid>" when
// XDG_RUNTIME_DIR is unset or empty; else to "/dev/ttyS<n-1>". Any other
// name is returned as it is. `xdg_runtime_dir` may be null.
std::string ResolvePortName(std::string_view name, const char* xdg_runtime_dir, uid_t uid);

// The same, with this process's environment and real user id.
std::string ResolvePortName(std::string_view name);

}  // namespace qorcomm

#endif  // QORCOMM_PORT_NAME_H
