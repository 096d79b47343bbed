#include "pseudo_terminal.h"

#include "raw_line_posix.h"

#include <fcntl.h>
#include <termios.h>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace qorsim {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal OpenPseudoTerminal() {
    PseudoTerminal pty;
    pty.master = qorplatform::FileDescriptor(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (pty.master.Get() < 0) Fail("cannot open a pseudo-terminal");
    if (::grantpt(pty.master.Get()) != 0 || ::unlockpt(pty.master.Get()) != 0)
        Fail("cannot unlock the pseudo-terminal");
    const char* name = ::ptsname(pty.master.Get());
    if (name == nullptr) Fail("cannot name the pseudo-terminal");
    pty.slavePath = name;

    pty.slave = qorplatform::FileDescriptor(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (pty.slave.Get() < 0) Fail("cannot open the pseudo-terminal's slave side");

    // A cooked line would echo requests back into the master, read as input,
    // and act on control bytes such as 0x03 in binary frames. Set up as the
    // library sets up its port, at the rate a new terminal has.
    termios mode{};
    if (::tcgetattr(pty.slave.Get(), &mode) != 0) Fail("cannot read the terminal's mode");
    if (!qorplatform::SetRawLine(pty.slave.Get(), mode, ::cfgetospeed(&mode)))
        Fail("cannot put the terminal in raw mode");
    return pty;
}

}  // namespace qorsim
