// A terminal device as the line, through termios, non-blocking, with poll()
// doing the waiting. Held for this process alone while open, and left as it
// was found when let go.
#ifndef QORCOMM_SERIAL_PORT_POSIX_H
#define QORCOMM_SERIAL_PORT_POSIX_H

#include <string>
#include <utility>

#include "exclusive_port_posix.h"
#include "line.h"

namespace qorcomm {

class SerialPort final : public Line {
public:
    using Confirm = qorplatform::ExclusivePort::Confirm;

    // Opens the terminal device at `path` raw 8N1 at `baud`, as OpenLine
    // does (line.h); QOR_E_NO_DEVICE when `confirm` refuses what was opened.
    static std::int32_t Open(const std::string& path, std::int32_t baud,
                             std::unique_ptr<Line>& line, const Confirm& confirm);

    std::int32_t DiscardInput() override;
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) override;
    std::int32_t Close() override;

private:
    explicit SerialPort(qorplatform::ExclusivePort port) : port_(std::move(port)) {}

    // Let go of, and its settings put back, at the close or when this goes.
    qorplatform::ExclusivePort port_;
};

}  // namespace qorcomm

#endif  // QORCOMM_SERIAL_PORT_POSIX_H
