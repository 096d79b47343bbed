#include "serial_port_posix.h"

#include <poll.h>
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

// What the library answers for each way an open can fail.
std::int32_t ResultOf(qorplatform::ExclusivePort::Outcome outcome) {
    using Outcome = qorplatform::ExclusivePort::Outcome;
    switch (outcome) {
        case Outcome::Opened: return QOR_OPENED;
        case Outcome::NoAccess: return QOR_E_ACCESS;
        case Outcome::Busy: return QOR_E_BUSY;
        case Outcome::NotTerminal: return QOR_E_NOT_TERMINAL;
        case Outcome::NotLine: return QOR_E_NOT_PORT;
        case Outcome::Failed: return QOR_E_IO;
        case Outcome::NoDevice:
        case Outcome::NotConfirmed: break;
    }
    return QOR_E_NO_DEVICE;
}

}  // namespace

std::int32_t SerialPort::Open(const std::string& path, std::int32_t baud,
                              std::unique_ptr<Line>& line, const Confirm& confirm) {
    const std::optional<speed_t> speed = qorplatform::SpeedFor(baud);
    if (!speed) return QOR_E_BAUD;
    qorplatform::ExclusivePort port = qorplatform::ExclusivePort::Open(path, confirm);
    if (port.GetOutcome() != qorplatform::ExclusivePort::Outcome::Opened)
        return ResultOf(port.GetOutcome());
    // Reads never block (O_NONBLOCK): poll() does the waiting.
    if (!qorplatform::SetRawLine(port.Get(), port.Found(), *speed)) return QOR_E_BAUD;
    // The port owns the descriptor from the open on: however this returns,
    // or if the allocation throws, it gives the line back as it found it.
    line.reset(new SerialPort(std::move(port)));
    return QOR_OPENED;
}

std::int32_t SerialPort::Close() { return port_.Close() ? QOR_OK : QOR_E_IO; }

std::int32_t SerialPort::DiscardInput() {
    return ::tcflush(port_.Get(), TCIFLUSH) == 0 ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(port_.Get(), bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return QOR_E_IO;
        const int revents = Await(port_.Get(), POLLOUT, deadline);
        if (revents <= 0 || (revents & kFailure) != 0) return QOR_E_IO;
    }
    return QOR_OK;
}

std::int32_t SerialPort::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    for (;;) {
        const int revents = Await(port_.Get(), POLLIN, deadline);
        if (revents == 0) return 0;
        if (revents < 0) return QOR_E_IO;
        // A hangup may come with the last bytes still readable; read them first,
        // the read after them reports the error.
        if ((revents & POLLIN) == 0) return QOR_E_IO;
        const ssize_t got = ::read(port_.Get(), buffer.data(), buffer.size());
        if (got > 0) return static_cast<std::int32_t>(got);
        // 0 is end of file: the other side has gone.
        if (got == 0) return QOR_E_IO;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return QOR_E_IO;
    }
}

}  // namespace qorcomm
