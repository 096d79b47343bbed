// The client end of a simulator's pipe as the port: the serial line's
// operations (serial_port.h) with the same deadlines, through overlapped
// I/O, since a pipe has no comm timeouts and no PurgeComm.
#ifndef QORCOMM_PIPE_LINE_WIN32_H
#define QORCOMM_PIPE_LINE_WIN32_H

#include <windows.h>

#include <cstdint>
#include <span>

#include "serial_port.h"

namespace qorcomm {

class PipeLine {
public:
    // Takes `pipe`, opened for overlapped I/O (OpenSimPipe).
    explicit PipeLine(HANDLE pipe);
    ~PipeLine();
    PipeLine(const PipeLine&) = delete;
    PipeLine& operator=(const PipeLine&) = delete;

    // False when the event its waits need could not be made.
    bool Ready() const { return event_ != nullptr; }

    std::int32_t DiscardInput();
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline);
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline);
    // True when the handle closed without error.
    bool Close();

private:
    // Runs one overlapped read or write until it completes or `deadline`
    // passes; what it moved by then counts either way. QOR_E_IO or the count.
    template <typename Start>
    std::int32_t Transfer(Start&& start, Clock::time_point deadline);

    HANDLE handle_;
    HANDLE event_;
};

}  // namespace qorcomm

#endif  // QORCOMM_PIPE_LINE_WIN32_H
