#include "options.h"

#include <string>

namespace qorsim {

const PlatformUsage& ThisPlatformUsage() {
    static const std::string kLineOptions =
        R"(  --port COMn        also make the port name COMn lead to the terminal: a
                     symbolic link in $XDG_RUNTIME_DIR/qorcomm/, or in
                     /tmp/qorcomm-<uid>/ when XDG_RUNTIME_DIR is unset,
                     removed on exit; its path is the second line of the
                     output. When the library follows it: the COMn rule
                     of platform/PORTS.md. A link left by a simulator
                     that is gone is replaced; a port another simulator
                     serves, or any other file of that name, is refused.
  --device NAME      serve the serial line NAME (a terminal device: a port
                     with a null-modem cable, one end of a pty pair)
                     instead of a pseudo-terminal, and print NAME as the
                     first line; excludes --port
  --baud RATE        the device's rate, 8N1 raw (default )" +
        std::to_string(kDefaultBaud) + R"(); only the
                     rates termios names
)";
    static const PlatformUsage kUsage{
        R"(A simulated QOR card reader on a pseudo-terminal. Prints the terminal's path
as the first line of its output, then answers read requests until it gets
SIGINT, SIGTERM or SIGHUP.
)",
        kLineOptions,
        "a signal",
    };
    return kUsage;
}

}  // namespace qorsim
