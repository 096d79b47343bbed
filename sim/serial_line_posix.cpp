#include "serial_line_posix.h"

#include "raw_line_posix.h"
#include "system_failure.h"

#include <fcntl.h>
#include <stdexcept>

namespace qorsim {

namespace {

// Opened and held as the library opens and holds its port: neither side may
// take the other's end, nor two simulators one line, and what the library
// would refuse as its port is no line to serve either.
qorplatform::ExclusivePort TakeLine(const std::string& path) {
    using Outcome = qorplatform::ExclusivePort::Outcome;
    qorplatform::ExclusivePort port = qorplatform::ExclusivePort::Open(path);
    switch (port.GetOutcome()) {
        case Outcome::Opened: break;
        case Outcome::NoDevice:
        case Outcome::NoAccess:
        case Outcome::NotConfirmed: throw SystemFailure("cannot open " + path, port.Error());
        case Outcome::Busy: throw std::runtime_error(path + " is in use by another program");
        case Outcome::NotTerminal:
            // The library refuses such a line too, and never writes into a file.
            throw std::runtime_error(path + " is not a serial line (not a terminal device)");
        case Outcome::NotLine:
            throw std::runtime_error(path +
                                     " is not a serial line: /dev/tty, /dev/ptmx and the terminal"
                                     " qor-sim runs in are refused, as the library refuses them");
        case Outcome::Failed: throw SystemFailure("cannot take hold of " + path, port.Error());
    }
    return port;
}

}  // namespace

SerialLine::SerialLine(const std::string& path, speed_t speed) : port_(TakeLine(path)) {
    const int fd = port_.Get();
    // From here on the serve loop's poll does the waiting; the open was
    // non-blocking, so a modem line without carrier did not hold it up.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw SystemFailure("cannot set up " + path);

    // As the library sets up its end.
    if (!qorplatform::SetRawLine(fd, port_.Found(), speed))
        throw std::runtime_error(path + " does not take the rate asked for");
}

}  // namespace qorsim
