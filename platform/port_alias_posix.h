// Where a simulator's COMn aliases live and when one counts, on Linux: the
// rule of platform/PORTS.md ("`COMn`"), which the library follows to an
// alias and qor-sim makes one by.
#ifndef QORPLATFORM_PORT_ALIAS_POSIX_H
#define QORPLATFORM_PORT_ALIAS_POSIX_H

#include <sys/types.h>

#include <string>

namespace qorplatform {

// "$XDG_RUNTIME_DIR/qorcomm", or "/tmp/qorcomm-<uid>" when
// `xdgRuntimeDir` is null or empty.
std::string AliasFolder(const char* xdgRuntimeDir, uid_t uid);

// Whether `folder` may hold aliases for `uid`: a directory itself, not a
// link to one, owned by `uid`, with no write permission for group or others.
bool AliasFolderIsTrusted(const std::string& folder, uid_t uid);

// "<folder>/<port>", the alias of port name `port` ("COM1").
std::string AliasPath(const std::string& folder, const std::string& port);

// Whether the alias at `alias` exists and the simulator that made it still
// holds its lock. Looks only; takes no lock, so it never gets in the way of
// a simulator starting. Does not judge the folder: see AliasFolderIsTrusted.
bool AliasIsLive(const std::string& alias);

// Whether the alias at `alias` is still live and leads to `device`, the
// device that opening it gave: asked after the open, since the simulator may
// have ended in between and another terminal (a shell's) taken its
// terminal's name.
bool AliasStillLeadsTo(const std::string& alias, dev_t device);

// The lock a simulator holds on its alias, "<alias>.lock", for as long as
// it serves it; the system lets go of it however the simulator ends.
class AliasLock {
public:
    AliasLock() = default;
    // Tries to take the lock of `alias`; see Held and Error.
    explicit AliasLock(const std::string& alias);
    AliasLock(AliasLock&& other) noexcept;
    AliasLock& operator=(AliasLock&& other) noexcept;
    AliasLock(const AliasLock&) = delete;
    AliasLock& operator=(const AliasLock&) = delete;
    // Removes the lock file and lets go: the alias is stale from then on.
    ~AliasLock();

    bool Held() const { return fd_ >= 0; }
    // Why it is not held: EWOULDBLOCK when another process holds it (a
    // simulator serving the port), else the errno of the failed call.
    int Error() const { return error_; }
    const std::string& LockPath() const { return path_; }

private:
    void Release();

    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_PORT_ALIAS_POSIX_H
