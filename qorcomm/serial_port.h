// One serial line: 8N1 raw, no flow control, with every wait bounded by a
// deadline. The device work is the platform's (serial_port_<platform>.cpp).
#ifndef QORCOMM_SERIAL_PORT_H
#define QORCOMM_SERIAL_PORT_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace qorcomm {

using Clock = std::chrono::steady_clock;

class SerialPort {
public:
    SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort();

    // `name` is the caller's, in the system's 8-bit encoding, found by this
    // platform's rule (port_name_<platform>.h). Returns QOR_OPENED, or QOR_E_BAUD,
    // QOR_E_NO_DEVICE, QOR_E_NOT_TERMINAL, QOR_E_NOT_PORT, QOR_E_BUSY,
    // QOR_E_ACCESS, QOR_E_IO with the port left closed. Never writes a byte to the device.
    std::int32_t Open(std::string_view name, std::int32_t baud);

    // QOR_OK, also when nothing was open; QOR_E_IO when the system reported an
    // error, though the port is closed all the same.
    std::int32_t Close();

    bool IsOpen() const { return device_ != nullptr; }

    // How long `bytes` bytes take on the wire at the open rate (8N1: 10 bits).
    Clock::duration WireTime(std::size_t bytes) const {
        if (baud_ <= 0) return Clock::duration::zero();
        return std::chrono::microseconds(static_cast<std::int64_t>(bytes) * 10 * 1'000'000 / baud_);
    }

    // Throws away what has arrived and not been read. QOR_OK or QOR_E_IO.
    std::int32_t DiscardInput();

    // QOR_OK once all of `bytes` are handed to the driver; QOR_E_IO when the
    // line fails or does not take them by `deadline`.
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline);

    // Waits until something arrives or `deadline` passes. Returns the count of
    // bytes read into `buffer` (not empty), 0 at the deadline, or QOR_E_IO on
    // an error or a hangup.
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline);

private:
    struct Device;
    std::unique_ptr<Device> device_;
    std::int32_t baud_ = 0;
};

}  // namespace qorcomm

#endif  // QORCOMM_SERIAL_PORT_H
