#include "options.h"

#include <string>

namespace qorsim {

const PlatformUsage& ThisPlatformUsage() {
    static const std::string kLineOptions =
        R"(  --port COMn        the port to serve: while this simulator runs, the
                     reader library of this user, in this session, opens
                     its pipe for COMn instead of the system's port; the
                     COMn rule of platform/PORTS.md. Only this user may
                     open the pipe; a port another simulator serves, or
                     another user holds, is refused.
  --device NAME      serve the serial line NAME instead (COMn, or a device
                     path: a port with a null-modem cable, one end of a
                     virtual COM pair), and print its path as the first
                     line; excludes --port
  --baud RATE        the device's rate, 8N1 (default )" +
        std::to_string(kDefaultBaud) + R"()
)";
    static const PlatformUsage kUsage{
        R"(A simulated QOR card reader on a named pipe. Serves --port COMn on the pipe
\\.\pipe\qor-sim-COMn, prints the pipe's path as the first line of its
output, and answers read requests, one client at a time, until Ctrl+C,
Ctrl+Break or its console closes.
)",
        kLineOptions,
        "Ctrl+C, Ctrl+Break or closing the console",
    };
    return kUsage;
}

}  // namespace qorsim
