#include "port_name_posix.h"

#include <unistd.h>

#include <cstdlib>

#include "port_alias_posix.h"

namespace qorplatform {

ResolvedPort ResolvePortName(std::string_view name, const char* xdgRuntimeDir, uid_t uid) {
    const std::optional<unsigned> n = ComPortNumber(name);
    if (!n) return {std::string(name)};

    // A folder someone else could have made or written to, or an alias whose
    // simulator is gone, may lead to any terminal at all; the operator then
    // gets the machine's own port, as if no simulator had ever run.
    const std::string folder = AliasFolder(xdgRuntimeDir, uid);
    if (AliasFolderIsTrusted(folder, uid)) {
        const std::string alias = AliasPath(folder, "COM" + std::to_string(*n));
        if (AliasIsLive(alias)) return {alias, true};
    }
    return {"/dev/ttyS" + std::to_string(*n - 1)};
}

ResolvedPort ResolvePortName(std::string_view name) {
    return ResolvePortName(name, std::getenv("XDG_RUNTIME_DIR"), ::getuid());
}

}  // namespace qorplatform
