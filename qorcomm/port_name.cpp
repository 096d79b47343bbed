#include "port_name.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace qorcomm {
namespace {

// Keeps n comfortably inside an unsigned and /dev/ttyS<n-1> short; a longer
// number names no port anyone has.
constexpr std::size_t kMaxDigits = 9;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AliasFolder(const char* xdg_runtime_dir, uid_t uid) {
    if (xdg_runtime_dir != nullptr && *xdg_runtime_dir != '\0') {
        return std::string(xdg_runtime_dir) + "/qorcomm";
    }
    return "/tmp/qorcomm-" + std::to_string(uid);
}

}  // namespace

std::optional<unsigned> ComPortNumber(std::string_view name) {
    if (name.size() < 4 || Upper(name[0]) != 'C' || Upper(name[1]) != 'O' ||
        Upper(name[2]) != 'M') {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    if (digits.size() > kMaxDigits || digits[0] == '0') return std::nullopt;
    unsigned n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

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
