#include "exclusive_port_posix.h"

#include <fcntl.h>
#include <linux/major.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace qorplatform {
namespace {

using Outcome = ExclusivePort::Outcome;

// /dev/tty is whatever terminal controls the opener, and /dev/ptmx makes a
// new pseudo-terminal master on every open: neither is ever a reader's line.
bool IsTtyOrPtmx(dev_t device) {
    return major(device) == TTYAUX_MAJOR && (minor(device) == 0 || minor(device) == 2);
}

// TIOCGSID answers on a terminal's slave side only when it is the caller's
// controlling terminal, under whatever name it was opened (/dev/pts/N,
// /dev/ttyS0, a link to either).
bool IsOwnControllingTerminal(int fd) {
    pid_t session = 0;
    return ::ioctl(fd, TIOCGSID, &session) == 0;
}

// A pseudo-terminal lives as long as its master side, so TIOCEXCL left on one
// by a process that died would lock everyone but root out for the master's
// whole life (the simulator's); on those the advisory lock alone keeps the
// line to one process. A real port is let go of with its last descriptor.
bool IsPseudoTerminalSlave(dev_t device) {
    return major(device) >= UNIX98_PTY_SLAVE_MAJOR &&
           major(device) < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

// Why a stat or an open of the port failed, as the caller can act on it: a
// missing right (group membership, mostly) is not a missing device.
Outcome NotOpened(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return Outcome::NoAccess;
        case EBUSY: return Outcome::Busy;  // another process holds it with TIOCEXCL
        default: return Outcome::NoDevice;
    }
}

}  // namespace

ExclusivePort ExclusivePort::Open(const std::string& path, const Confirm& confirm) {
    ExclusivePort port;
    port.outcome_ = port.Take(path, confirm);
    if (port.outcome_ != Outcome::Opened) port.Close();
    return port;
}

ExclusivePort::Outcome ExclusivePort::Take(const std::string& path, const Confirm& confirm) {
    // Look before opening: opening some non-devices has effects of its own
    // (a FIFO wakes its writer), and a read-only file should be "not a
    // terminal", not "no device".
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error_ = errno;
        return NotOpened(error_);
    }
    if (!S_ISCHR(info.st_mode)) return Outcome::NotTerminal;
    if (IsTtyOrPtmx(info.st_rdev)) return Outcome::NotLine;

    fd_ = FileDescriptor(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    const int fd = fd_.Get();
    if (fd < 0) {
        error_ = errno;
        return NotOpened(error_);
    }
    // Checked again on what was opened, in case the path changed meanwhile.
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !::isatty(fd))
        return Outcome::NotTerminal;
    if (IsTtyOrPtmx(info.st_rdev) || IsOwnControllingTerminal(fd)) return Outcome::NotLine;
    if (confirm && !confirm(info.st_rdev)) return Outcome::NotConfirmed;
    // Taken before anything is changed, so an open that finds the port busy
    // leaves the holder's line exactly as it was. The lock goes with the
    // descriptor, however this process ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return Outcome::Busy;
        error_ = errno;
        return Outcome::Failed;
    }
    if (::tcgetattr(fd, &found_) != 0) {
        error_ = errno;
        return Outcome::Failed;
    }
    settingsTaken_ = true;
    // Also keeps out programs that take no advisory lock (root excepted).
    if (!IsPseudoTerminalSlave(info.st_rdev)) {
        if (::ioctl(fd, TIOCEXCL) != 0) {
            error_ = errno;
            return Outcome::Failed;
        }
        exclusive_ = true;
    }
    return Outcome::Opened;
}

bool ExclusivePort::Close() {
    if (fd_.Get() < 0) return true;
    if (settingsTaken_) ::tcsetattr(fd_.Get(), TCSANOW, &found_);
    if (exclusive_) ::ioctl(fd_.Get(), TIOCNXCL);
    settingsTaken_ = exclusive_ = false;
    // Linux releases the descriptor (and with it the lock) even when close
    // reports an error, so it is never retried.
    return fd_.Close();
}

}  // namespace qorplatform
