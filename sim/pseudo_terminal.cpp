#include "pseudo_terminal.h"

#include "raw_line_posix.h"
#include "system_failure.h"

#include <fcntl.h>
#include <termios.h>
#include <cstdlib>

namespace qorsim {

PseudoTerminal OpenPseudoTerminal() {
    PseudoTerminal pty;
    pty.master = qorplatform::FileDescriptor(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (pty.master.Get() < 0) throw SystemFailure("cannot open a pseudo-terminal");
    if (::grantpt(pty.master.Get()) != 0 || ::unlockpt(pty.master.Get()) != 0)
        throw SystemFailure("cannot unlock the pseudo-terminal");
    const char* name = ::ptsname(pty.master.Get());
    if (name == nullptr) throw SystemFailure("cannot name the pseudo-terminal");
    pty.slavePath = name;

    pty.slave = qorplatform::FileDescriptor(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (pty.slave.Get() < 0) throw SystemFailure("cannot open the pseudo-terminal's slave side");

    // A cooked line would echo requests back into the master, read as input,
    // and act on control bytes such as 0x03 in binary frames. Set up as the
    // library sets up its port, at the rate a new terminal has.
    termios mode{};
    if (::tcgetattr(pty.slave.Get(), &mode) != 0)
        throw SystemFailure("cannot read the terminal's mode");
    if (!qorplatform::SetRawLine(pty.slave.Get(), mode, ::cfgetospeed(&mode)))
        throw SystemFailure("cannot put the terminal in raw mode");
    return pty;
}

}  // namespace qorsim
