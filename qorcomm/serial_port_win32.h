// A serial port as the line, through the Win32 comm functions. Under Wine a
// COM port is whatever Linux path the prefix maps it to, so nothing here
// trusts that an opened name is a port until GetCommState says so.
#ifndef QORCOMM_SERIAL_PORT_WIN32_H
#define QORCOMM_SERIAL_PORT_WIN32_H

#include <windows.h>

#include <optional>
#include <string>

#include "exclusive_port_win32.h"
#include "line.h"

namespace qorcomm {

class SerialPort final : public Line {
public:
    // Opens the port at `path` (wide, resolved) raw 8N1 at `baud`, as
    // OpenLine does (line.h).
    static std::int32_t Open(const std::wstring& path, DWORD baud, std::unique_ptr<Line>& line);

    std::int32_t DiscardInput() override;
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) override;
    std::int32_t Close() override;

private:
    SerialPort() = default;

    // Sets the comm timeouts, when they change.
    bool SetTimeouts(COMMTIMEOUTS wanted);
    // Reads what the timeouts let through: QOR_E_IO, or the count of bytes.
    std::int32_t Read(COMMTIMEOUTS wait, std::uint8_t* into, DWORD size);

    qorplatform::ExclusivePort port_;
    // The timeouts last set, so a read or write sets them only when they change.
    std::optional<COMMTIMEOUTS> timeouts_;
};

}  // namespace qorcomm

#endif  // QORCOMM_SERIAL_PORT_WIN32_H
