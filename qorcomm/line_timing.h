// How long the library waits on the line (PROTOCOL.md, "A read").
#ifndef QORCOMM_LINE_TIMING_H
#define QORCOMM_LINE_TIMING_H

#include <chrono>

namespace qorcomm {

// For the whole answer, counted from when the request has left the line.
inline constexpr std::chrono::milliseconds kAnswerTimeout{500};

// For the driver to take the request: a few bytes that a line cannot take
// in this long will not leave it at all.
inline constexpr std::chrono::milliseconds kWriteTimeout{500};

}  // namespace qorcomm

#endif  // QORCOMM_LINE_TIMING_H
