#include "serial_port_posix.h"

#include <fcntl.h>
#include <linux/major.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "deadline.h"
#include "qorcomm.h"
#include "raw_line_posix.h"

namespace qorcomm {
namespace {

// Waits for `events` on `fd` until `deadline`. Returns the revents, 0 at the
// deadline, or -1 when poll itself fails.
int Await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, qorplatform::MillisecondsUntil<int>(deadline));
        if (ready > 0) return entry.revents;
        if (ready < 0 && errno != EINTR) return -1;
        if (ready == 0 && Clock::now() >= deadline) return 0;
    }
}

constexpr short kFailure = POLLERR | POLLHUP | POLLNVAL;

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
std::int32_t NotOpened(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return QOR_E_ACCESS;
        case EBUSY: return QOR_E_BUSY;  // another process holds it with TIOCEXCL
        default: return QOR_E_NO_DEVICE;
    }
}

}  // namespace

// Released when it goes, however far the open got.
SerialPort::~SerialPort() { Close(); }

std::int32_t SerialPort::Open(const std::string& path, std::int32_t baud,
                              std::unique_ptr<Line>& line, const Confirm& confirm) {
    const std::optional<speed_t> speed = qorplatform::SpeedFor(baud);
    if (!speed) return QOR_E_BAUD;
    // Allocated first: once the descriptor is open, nothing may throw.
    std::unique_ptr<SerialPort> port(new SerialPort());

    // Look before opening: opening some non-devices has effects of its own
    // (a FIFO wakes its writer), and a read-only file should be "not a
    // terminal", not "no device".
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return NotOpened(errno);
    if (!S_ISCHR(info.st_mode)) return QOR_E_NOT_TERMINAL;
    if (IsTtyOrPtmx(info.st_rdev)) return QOR_E_NOT_PORT;

    const int fd = port->fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NotOpened(errno);
    // Checked again on what was opened, in case the path changed meanwhile.
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !::isatty(fd))
        return QOR_E_NOT_TERMINAL;
    if (IsTtyOrPtmx(info.st_rdev) || IsOwnControllingTerminal(fd)) return QOR_E_NOT_PORT;
    if (!confirm(info.st_rdev)) return QOR_E_NO_DEVICE;
    // Taken before anything is changed, so an open that finds the port busy
    // leaves the holder's line exactly as it was. The lock goes with the
    // descriptor, however this process ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? QOR_E_BUSY : QOR_E_IO;
    if (::tcgetattr(fd, &port->found_) != 0) return QOR_E_IO;
    port->settingsTaken_ = true;
    // Also keeps out programs that take no advisory lock (root excepted).
    if (!IsPseudoTerminalSlave(info.st_rdev)) {
        if (::ioctl(fd, TIOCEXCL) != 0) return QOR_E_IO;
        port->exclusive_ = true;
    }

    // Reads never block (O_NONBLOCK): poll() does the waiting.
    if (!qorplatform::SetRawLine(fd, port->found_, *speed)) return QOR_E_BAUD;
    line = std::move(port);
    return QOR_OPENED;
}

std::int32_t SerialPort::Close() {
    if (fd_ < 0) return QOR_OK;
    // A line that has gone away cannot take its settings back, and that is
    // no reason to call the close failed.
    if (settingsTaken_) ::tcsetattr(fd_, TCSANOW, &found_);
    if (exclusive_) ::ioctl(fd_, TIOCNXCL);
    // Linux releases the descriptor (and with it the lock) even when close
    // reports an error, so it is never retried.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::DiscardInput() {
    return ::tcflush(fd_, TCIFLUSH) == 0 ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return QOR_E_IO;
        const int revents = Await(fd_, POLLOUT, deadline);
        if (revents <= 0 || (revents & kFailure) != 0) return QOR_E_IO;
    }
    return QOR_OK;
}

std::int32_t SerialPort::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    for (;;) {
        const int revents = Await(fd_, POLLIN, deadline);
        if (revents == 0) return 0;
        if (revents < 0) return QOR_E_IO;
        // A hangup may come with the last bytes still readable; read them first,
        // the read after them reports the error.
        if ((revents & POLLIN) == 0) return QOR_E_IO;
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got > 0) return static_cast<std::int32_t>(got);
        // 0 is end of file: the other side has gone.
        if (got == 0) return QOR_E_IO;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return QOR_E_IO;
    }
}

}  // namespace qorcomm
