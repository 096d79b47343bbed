// A serial line as the reader's protocol needs it, through termios: raw
// 8N1, no flow control. The library sets its port up so, and qor-sim its
// terminal and its --device line, so each reads what the other sends.
#ifndef QORPLATFORM_RAW_LINE_POSIX_H
#define QORPLATFORM_RAW_LINE_POSIX_H

#include <termios.h>

#include <cstdint>
#include <optional>

namespace qorplatform {

// The termios constant for `baud`, or nothing when this platform has none.
std::optional<speed_t> SpeedFor(std::int32_t baud);

// Sets the terminal `fd` to raw 8N1 at `speed`, starting from `found`, its
// settings as they were: no flow control, no parity checks, nothing added
// or taken away, and a read returns as soon as one byte is there. False
// when the system refused, or did not take the rate.
bool SetRawLine(int fd, const termios& found, speed_t speed);

}  // namespace qorplatform

#endif  // QORPLATFORM_RAW_LINE_POSIX_H
