// The baud rates a serial line takes through termios. The library opens its
// port at one of them, and qor-sim --device serves its line at one, so both
// refuse the same rates.
#ifndef QORPLATFORM_RAW_LINE_POSIX_H
#define QORPLATFORM_RAW_LINE_POSIX_H

#include <termios.h>

#include <cstdint>
#include <optional>

namespace qorplatform {

// The termios constant for `baud`, or nothing when this platform has none.
std::optional<speed_t> SpeedFor(std::int32_t baud);

}  // namespace qorplatform

#endif  // QORPLATFORM_RAW_LINE_POSIX_H
