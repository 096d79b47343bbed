// Where a simulator's port aliases live and when one counts. The reader
// library and qor-sim keep their protocol code apart on purpose; this path
// convention is the one thing they must read the same way, so it is written
// once, here.
//
// An alias is a symbolic link "<folder>/COMn" to the simulator's terminal.
// It counts only while
//   - the folder is a real directory (not a symbolic link), owned by the
//     user and writable by nobody else, so no other local user can plant
//     one; and
//   - the simulator that made it still runs: it holds a lock on
//     "<folder>/COMn.lock" for its whole life, which the system lets go of
//     however it ends, so a link left behind by a killed simulator leads
//     nowhere, whatever terminal now has its old name.
#ifndef PORTALIAS_PORT_ALIAS_FOLDER_H
#define PORTALIAS_PORT_ALIAS_FOLDER_H

#include <sys/types.h>

#include <string>

namespace portalias {

// "$XDG_RUNTIME_DIR/qorcomm", or "/tmp/qorcomm-<uid>" when
// `xdgRuntimeDir` is null or empty.
std::string Folder(const char* xdgRuntimeDir, uid_t uid);

// Whether `folder` may hold aliases for `uid`: a directory itself, not a
// link to one, owned by `uid`, with no write permission for group or others.
bool FolderIsTrusted(const std::string& folder, uid_t uid);

// "<folder>/<port>", the alias of port name `port` ("COM1").
std::string AliasPath(const std::string& folder, const std::string& port);

// Whether the alias at `alias` exists and the simulator that made it still
// holds its lock. Looks only; takes no lock, so it never gets in the way of
// a simulator starting. Does not judge the folder: see FolderIsTrusted.
bool IsLive(const std::string& alias);

// The lock a simulator holds on its alias for as long as it serves it.
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

}  // namespace portalias

#endif  // PORTALIAS_PORT_ALIAS_FOLDER_H
