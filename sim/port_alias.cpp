#include "port_alias.h"

#include "system_failure.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace qorsim {

namespace {

// The /tmp fallback is shared with every user, so an existing entry must be
// a folder the library trusts, not someone's link, file or open folder
// planted under our name: the library would ignore an alias made there.
void EnsurePrivateDirectory(const std::filesystem::path& dir) {
    if (::mkdir(dir.c_str(), 0700) == 0) return;
    if (errno != EEXIST) throw SystemFailure("cannot create " + dir.string());
    if (!qorplatform::AliasFolderIsTrusted(dir, ::getuid()))
        throw std::runtime_error(dir.string() +
                                 " exists but is not a directory of this user that nobody else "
                                 "can write to; remove it, or make it one");
}

std::optional<std::string> LinkTarget(const std::filesystem::path& link) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (error) return std::nullopt;
    return target.string();
}

}  // namespace

std::filesystem::path AliasDirectory() {
    return qorplatform::AliasFolder(std::getenv("XDG_RUNTIME_DIR"), ::getuid());
}

PortAlias::PortAlias(const std::string& portName, const std::string& terminalPath)
    : target_(terminalPath) {
    const std::filesystem::path dir = AliasDirectory();
    EnsurePrivateDirectory(dir);
    path_ = qorplatform::AliasPath(dir, portName);

    lock_ = qorplatform::AliasLock(path_);
    if (!lock_.Held()) {
        if (lock_.Error() == EWOULDBLOCK)
            throw std::runtime_error("another simulator is serving " + portName + " (it holds " +
                                     lock_.LockPath() + ")");
        throw SystemFailure("cannot lock " + lock_.LockPath(),
                            static_cast<unsigned long>(lock_.Error()));
    }

    // With the lock held, a link of this name is one that a simulator which
    // is gone left behind.
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            throw std::runtime_error(path_.string() +
                                     " exists and is not a link; remove it to use " + portName);
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
            throw SystemFailure("cannot replace the stale link " + path_.string());
    } else if (errno != ENOENT) {
        throw SystemFailure("cannot examine " + path_.string());
    }

    if (::symlink(target_.c_str(), path_.c_str()) != 0)
        throw SystemFailure("cannot create the link " + path_.string());
}

PortAlias::~PortAlias() {
    if (LinkTarget(path_) == target_) ::unlink(path_.c_str());
}

}  // namespace qorsim
