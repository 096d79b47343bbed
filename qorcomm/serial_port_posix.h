// A terminal device as the line, through termios, non-blocking, with poll()
// doing the waiting. Held for this process alone while open, and left as it
// was found when let go.
#ifndef QORCOMM_SERIAL_PORT_POSIX_H
#define QORCOMM_SERIAL_PORT_POSIX_H

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>

#include "line.h"

namespace qorcomm {

class SerialPort final : public Line {
public:
    // Asked of the device opened, before anything is taken or changed:
    // false lets go of it again.
    using Confirm = std::function<bool(dev_t device)>;

    // Opens the terminal device at `path` raw 8N1 at `baud`, as OpenLine
    // does (line.h); QOR_E_NO_DEVICE when `confirm` refuses what was opened.
    static std::int32_t Open(const std::string& path, std::int32_t baud,
                             std::unique_ptr<Line>& line, const Confirm& confirm);
    ~SerialPort() override;

    std::int32_t DiscardInput() override;
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) override;
    std::int32_t Close() override;

private:
    SerialPort() = default;

    int fd_ = -1;
    // The line settings found at open, put back at close once taken.
    termios found_{};
    bool settingsTaken_ = false;
    bool exclusive_ = false;
};

}  // namespace qorcomm

#endif  // QORCOMM_SERIAL_PORT_POSIX_H
