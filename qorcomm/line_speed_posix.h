// The baud rates a serial line takes through termios. The library opens its
// port at one of them, and qor-sim --device serves its line at one, so both
// refuse the same rates.
#ifndef QORCOMM_LINE_SPEED_POSIX_H
#define QORCOMM_LINE_SPEED_POSIX_H

#include <termios.h>

#include <cstdint>
#include <optional>

namespace qorcomm {

// The termios constant for `baud`, or nothing when this platform has none.
std::optional<speed_t> SpeedFor(std::int32_t baud);

}  // namespace qorcomm

#endif  // QORCOMM_LINE_SPEED_POSIX_H
