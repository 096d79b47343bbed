// The line to the reader, whatever carries it: a serial port, or on Windows
// a simulator's pipe. Every wait is bounded by a deadline.
#ifndef QORCOMM_LINE_H
#define QORCOMM_LINE_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace qorcomm {

using Clock = std::chrono::steady_clock;

class Line {
public:
    Line() = default;
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    // Lets go of the line, as Close does, if nobody has.
    virtual ~Line() = default;

    // Throws away what has arrived and not been read. QOR_OK or QOR_E_IO.
    virtual std::int32_t DiscardInput() = 0;

    // QOR_OK once all of `bytes` are handed to the driver; QOR_E_IO when the
    // line fails or does not take them by `deadline`.
    virtual std::int32_t WriteAll(std::span<const std::uint8_t> bytes,
                                  Clock::time_point deadline) = 0;

    // Waits until something arrives or `deadline` passes. Returns the count of
    // bytes read into `buffer` (not empty), 0 at the deadline, or QOR_E_IO on
    // an error or a hangup.
    virtual std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) = 0;

    // Lets go of the line and whatever holds it for this process: QOR_OK, or
    // QOR_E_IO when the system reported an error, though it is let go all
    // the same. Nothing else may be called after it.
    virtual std::int32_t Close() = 0;
};

// Opens the line `name` leads to by the COMn rule (platform/PORTS.md, "COMn"),
// 8N1 at `baud`, held by this process alone. `name` is the caller's, in the
// system's 8-bit encoding. Returns QOR_OPENED with `line` set, or QOR_E_BAUD,
// QOR_E_NO_DEVICE, QOR_E_NOT_TERMINAL, QOR_E_NOT_PORT, QOR_E_BUSY,
// QOR_E_ACCESS, QOR_E_IO with `line` left empty. Never writes a byte to the
// device. Each platform has its own (line_<platform>.cpp).
std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line);

}  // namespace qorcomm

#endif  // QORCOMM_LINE_H
