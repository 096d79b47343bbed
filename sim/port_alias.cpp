#include "port_alias.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace qorsim {

namespace {

std::string systemError(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// The /tmp fallback is shared with every user, so an existing entry must be
// our own directory, not someone's link or file planted under our name.
void ensurePrivateDirectory(const std::filesystem::path& dir) {
    if (::mkdir(dir.c_str(), 0700) == 0) return;
    if (errno != EEXIST) throw std::runtime_error(systemError("cannot create", dir));
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0)
        throw std::runtime_error(systemError("cannot examine", dir));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        throw std::runtime_error(dir.string() + " exists but is not a directory of this user");
}

std::optional<std::string> linkTarget(const std::filesystem::path& link) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (error) return std::nullopt;
    return target.string();
}

}  // namespace

std::filesystem::path aliasDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return std::filesystem::path(runtime) / "qorcomm";
    return "/tmp/qorcomm-" + std::to_string(::getuid());
}

PortAlias::PortAlias(const std::string& portName, const std::string& terminalPath)
    : target_(terminalPath) {
    const std::filesystem::path dir = aliasDirectory();
    ensurePrivateDirectory(dir);
    path_ = dir / portName;

    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            throw std::runtime_error(path_.string() +
                                     " exists and is not a link; remove it to use " + portName);
        struct stat leadsTo {};
        if (::stat(path_.c_str(), &leadsTo) == 0 && S_ISCHR(leadsTo.st_mode))
            throw std::runtime_error(
                path_.string() + " already leads to " + linkTarget(path_).value_or("a terminal") +
                "; is another simulator serving " + portName + "? If not, remove the link");
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
            throw std::runtime_error(systemError("cannot replace the stale link", path_));
    } else if (errno != ENOENT) {
        throw std::runtime_error(systemError("cannot examine", path_));
    }

    if (::symlink(target_.c_str(), path_.c_str()) != 0)
        throw std::runtime_error(systemError("cannot create the link", path_));
}

PortAlias::~PortAlias() {
    if (linkTarget(path_) == target_) ::unlink(path_.c_str());
}

}  // namespace qorsim
