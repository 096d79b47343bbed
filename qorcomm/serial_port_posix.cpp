// The serial line through termios, non-blocking, with poll() doing the
// waiting. The port is held for this process alone while open, and left as
// it was found when closed.
#include "serial_port.h"

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
#include <utility>

#include "line_speed_posix.h"
#include "port_name.h"
#include "qorcomm.h"

namespace qorcomm {
namespace {

// Raw 8N1 by hand rather than cfmakeraw, which leaves RTS/CTS and outgoing
// XON/XOFF as the port's last user set them: the reader's line has neither,
// and a port left with RTS/CTS on would never send the request.
void MakeRaw(termios& tio) {
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // Reads never block (O_NONBLOCK), poll() does the waiting.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

// poll()'s timeout for what is left until `deadline`, rounded up so the
// wait never ends just short of it.
int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Waits for `events` on `fd` until `deadline`. Returns the revents, 0 at the
// deadline, or -1 when poll itself fails.
int Await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
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

// The open line, released when it goes, however far the open got.
struct SerialPort::Device {
    int fd = -1;
    // The line settings found at open, put back at close once taken.
    termios found{};
    bool settingsTaken = false;
    bool exclusive = false;

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (fd >= 0) Release();
    }

    // Undoes what the open did to the line, then closes it. True when the
    // close itself succeeded.
    bool Release() {
        // A line that has gone away cannot take its settings back, and that
        // is no reason to call the close failed.
        if (settingsTaken) ::tcsetattr(fd, TCSANOW, &found);
        if (exclusive) ::ioctl(fd, TIOCNXCL);
        // Linux releases the descriptor (and with it the lock) even when
        // close reports an error, so it is never retried.
        const bool closed = ::close(fd) == 0;
        fd = -1;
        return closed;
    }
};

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { Close(); }

std::int32_t SerialPort::Open(std::string_view name, std::int32_t baud) {
    Close();
    const std::string path = ResolvePortName(name);
    const std::optional<speed_t> speed = SpeedFor(baud);
    if (!speed) return QOR_E_BAUD;
    // Allocated first: once the descriptor is open, nothing may throw.
    auto device = std::make_unique<Device>();

    // Look before opening: opening some non-devices has effects of its own
    // (a FIFO wakes its writer), and a read-only file should be "not a
    // terminal", not "no device".
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return NotOpened(errno);
    if (!S_ISCHR(info.st_mode)) return QOR_E_NOT_TERMINAL;
    if (IsTtyOrPtmx(info.st_rdev)) return QOR_E_NOT_PORT;

    const int fd = device->fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NotOpened(errno);
    // Checked again on what was opened, in case the path changed meanwhile.
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !::isatty(fd))
        return QOR_E_NOT_TERMINAL;
    if (IsTtyOrPtmx(info.st_rdev) || IsOwnControllingTerminal(fd)) return QOR_E_NOT_PORT;
    // Taken before anything is changed, so an open that finds the port busy
    // leaves the holder's line exactly as it was. The lock goes with the
    // descriptor, however this process ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno == EWOULDBLOCK ? QOR_E_BUSY : QOR_E_IO;
    if (::tcgetattr(fd, &device->found) != 0) return QOR_E_IO;
    device->settingsTaken = true;
    // Also keeps out programs that take no advisory lock (root excepted).
    if (!IsPseudoTerminalSlave(info.st_rdev)) {
        if (::ioctl(fd, TIOCEXCL) != 0) return QOR_E_IO;
        device->exclusive = true;
    }

    termios tio = device->found;
    MakeRaw(tio);
    termios applied{};
    // tcsetattr succeeds when any part of the change took, so read the result
    // back to see whether the rate did.
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0 || ::tcgetattr(fd, &applied) != 0 ||
        ::cfgetospeed(&applied) != *speed) {
        return QOR_E_BAUD;
    }
    device_ = std::move(device);
    baud_ = baud;
    return QOR_OPENED;
}

std::int32_t SerialPort::Close() {
    if (!device_) return QOR_OK;
    const std::unique_ptr<Device> device = std::move(device_);
    return device->Release() ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::DiscardInput() {
    if (!device_) return QOR_E_NOT_OPEN;
    return ::tcflush(device_->fd, TCIFLUSH) == 0 ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    if (!device_) return QOR_E_NOT_OPEN;
    const int fd = device_->fd;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return QOR_E_IO;
        const int revents = Await(fd, POLLOUT, deadline);
        if (revents <= 0 || (revents & kFailure) != 0) return QOR_E_IO;
    }
    return QOR_OK;
}

std::int32_t SerialPort::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    if (!device_) return QOR_E_NOT_OPEN;
    const int fd = device_->fd;
    for (;;) {
        const int revents = Await(fd, POLLIN, deadline);
        if (revents == 0) return 0;
        if (revents < 0) return QOR_E_IO;
        // A hangup may come with the last bytes still readable; read them first,
        // the read after them reports the error.
        if ((revents & POLLIN) == 0) return QOR_E_IO;
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0) return static_cast<std::int32_t>(got);
        // 0 is end of file: the other side has gone.
        if (got == 0) return QOR_E_IO;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return QOR_E_IO;
    }
}

}  // namespace qorcomm
