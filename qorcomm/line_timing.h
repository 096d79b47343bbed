// How long the library waits on the line (PROTOCOL.md, "What the library does
// with what arrives").
#ifndef QORCOMM_LINE_TIMING_H
#define QORCOMM_LINE_TIMING_H

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace qorcomm {

// For the whole answer, counted from when the request has left the line.
inline constexpr std::chrono::milliseconds kAnswerTimeout{500};

// For the driver to take the request: a few bytes that a line cannot take
// in this long will not leave it at all.
inline constexpr std::chrono::milliseconds kWriteTimeout{500};

// How long `bytes` bytes take on the wire at `baud` (8N1: 10 bits a byte).
constexpr std::chrono::microseconds WireTime(std::size_t bytes, std::int32_t baud) {
    if (baud <= 0) return {};
    return std::chrono::microseconds(static_cast<std::int64_t>(bytes) * 10 * 1'000'000 / baud);
}

}  // namespace qorcomm

#endif  // QORCOMM_LINE_TIMING_H
