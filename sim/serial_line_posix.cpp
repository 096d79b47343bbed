#include "serial_line_posix.h"

#include "raw_line_posix.h"
#include "system_failure.h"

#include <fcntl.h>
#include <sys/file.h>
#include <cerrno>
#include <stdexcept>

namespace qorsim {

SerialLine::SerialLine(const std::string& path, speed_t speed) {
    // Non-blocking, so a modem line without carrier does not hold up the open.
    fd_ = qorplatform::FileDescriptor(
        ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd_.Get() < 0) throw SystemFailure("cannot open " + path);
    // The library refuses such a line too, and never writes into a file.
    if (!::isatty(fd_.Get()) || ::tcgetattr(fd_.Get(), &found_) != 0)
        throw std::runtime_error(path + " is not a serial line (not a terminal device)");
    // The lock the library takes on its port: neither side may take the
    // other's end, nor two simulators one line.
    if (::flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) throw std::runtime_error(path + " is in use by another program");
        throw SystemFailure("cannot lock " + path);
    }
    // From here on the serve loop's poll does the waiting.
    const int flags = ::fcntl(fd_.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd_.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw SystemFailure("cannot set up " + path);

    // As the library sets up its end.
    if (!qorplatform::SetRawLine(fd_.Get(), found_, speed)) {
        ::tcsetattr(fd_.Get(), TCSANOW, &found_);
        throw std::runtime_error(path + " does not take the rate asked for");
    }
}

SerialLine::~SerialLine() { ::tcsetattr(fd_.Get(), TCSANOW, &found_); }

}  // namespace qorsim
