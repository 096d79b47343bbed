// COMn on Linux: a running simulator's alias (port_alias_posix.h), else a
// ttyS device.
#ifndef QORPLATFORM_PORT_NAME_POSIX_H
#define QORPLATFORM_PORT_NAME_POSIX_H

#include <sys/types.h>

#include <string>
#include <string_view>

#include "port_name.h"

namespace qorplatform {

struct ResolvedPort {
    // The device path, its bytes as the caller gave them.
    std::string path;
    // Whether `path` is a simulator's alias, which its opener asks again
    // once it has opened it (AliasStillLeadsTo).
    bool alias = false;
};

// Where `name` leads for the runtime folder `xdgRuntimeDir` (may be null)
// and the user `uid`; ResolvePortName(name) is this with the process's
// environment and real user id.
ResolvedPort ResolvePortName(std::string_view name, const char* xdgRuntimeDir, uid_t uid);
ResolvedPort ResolvePortName(std::string_view name);

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_NAME_POSIX_H
