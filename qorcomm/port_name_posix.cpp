#include "port_name_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace qorcomm {
namespace {

std::string AliasFolder(const char* xdg_runtime_dir, uid_t uid) {
    if (xdg_runtime_dir != nullptr && *xdg_runtime_dir != '\0') {
        return std::string(xdg_runtime_dir) + "/qorcomm";
    }
    return "/tmp/qorcomm-" + std::to_string(uid);
}

}  // namespace

std::string ResolvePortName(std::string_view name, const char* xdg_runtime_dir, uid_t uid) {
    const std::optional<unsigned> n = ComPortNumber(name);
    if (!n) return std::string(name);

    // lstat, not stat: an alias left dangling by a simulator that died still
    // means the operator wanted that simulator, not the machine's own ttyS.
    const std::string alias = AliasFolder(xdg_runtime_dir, uid) + "/COM" + std::to_string(*n);
    struct stat info {};
    if (::lstat(alias.c_str(), &info) == 0) return alias;
    return "/dev/ttyS" + std::to_string(*n - 1);
}

std::string ResolvePortName(std::string_view name) {
    return ResolvePortName(name, std::getenv("XDG_RUNTIME_DIR"), ::getuid());
}

}  // namespace qorcomm
