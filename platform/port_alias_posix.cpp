#include "port_alias_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace qorplatform {
namespace {

std::string LockPathOf(const std::string& alias) { return alias + ".lock"; }

// Open-file-description locks rather than flock or process-owned record
// locks: F_OFD_GETLK reports a holder without taking anything, so looking
// never makes a starting simulator think the port taken, and it sees a
// holder in the same process as well (a test standing in for a simulator).
struct flock WholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string AliasFolder(const char* xdgRuntimeDir, uid_t uid) {
    if (xdgRuntimeDir != nullptr && *xdgRuntimeDir != '\0') {
        return std::string(xdgRuntimeDir) + "/qorcomm";
    }
    return "/tmp/qorcomm-" + std::to_string(uid);
}

bool AliasFolderIsTrusted(const std::string& folder, uid_t uid) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string AliasPath(const std::string& folder, const std::string& port) {
    return folder + "/" + port;
}

bool AliasIsLive(const std::string& alias) {
    struct stat info {};
    if (::lstat(alias.c_str(), &info) != 0) return false;
    const int fd =
        ::open(LockPathOf(alias).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe = WholeFile(F_RDLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

bool AliasStillLeadsTo(const std::string& alias, dev_t device) {
    struct stat now {};
    return AliasIsLive(alias) && ::stat(alias.c_str(), &now) == 0 && S_ISCHR(now.st_mode) &&
           now.st_rdev == device;
}

AliasLock::AliasLock(const std::string& alias) : path_(LockPathOf(alias)) {
    // Each round is lost only to a holder letting go at that moment; a bound
    // keeps a folder that changes under our feet from holding us forever.
    error_ = EBUSY;
    for (int round = 0; round < 100; ++round) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        struct flock lock = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            error_ = (errno == EACCES || errno == EAGAIN) ? EWOULDBLOCK : errno;
            ::close(fd);
            return;
        }
        // The last holder removes the file before letting go; if that
        // happened after the open above, this lock is on a file nobody looks
        // at any more, and a new one must be made.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
            SameFile(held, named)) {
            fd_ = fd;
            error_ = 0;
            return;
        }
        ::close(fd);
    }
}

AliasLock::AliasLock(AliasLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

AliasLock& AliasLock::operator=(AliasLock&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

AliasLock::~AliasLock() { Release(); }

void AliasLock::Release() {
    if (fd_ < 0) return;
    // Removed while still held, so a simulator starting now either finds it
    // held or makes a new one; never a lock file that outlives its holder.
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace qorplatform
