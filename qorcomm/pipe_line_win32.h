// The client end of a simulator's pipe as the line, with a serial port's
// deadlines, through overlapped I/O, since a pipe has no comm timeouts and
// no PurgeComm.
#ifndef QORCOMM_PIPE_LINE_WIN32_H
#define QORCOMM_PIPE_LINE_WIN32_H

#include <windows.h>

#include "handle_win32.h"
#include "line.h"
#include "overlapped_io_win32.h"

namespace qorcomm {

class PipeLine final : public Line {
public:
    // Takes over `pipe`, a simulator's pipe already opened for overlapped
    // I/O (OpenSimPipe): QOR_OPENED with `line` set, or QOR_E_IO with the
    // pipe closed again.
    static std::int32_t Adopt(qorplatform::Handle pipe, std::unique_ptr<Line>& line);

    std::int32_t DiscardInput() override;
    std::int32_t WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::int32_t ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) override;
    std::int32_t Close() override;

private:
    explicit PipeLine(qorplatform::Handle pipe);

    // Runs one overlapped read or write until it completes or `deadline`
    // passes; what it moved by then counts either way. QOR_E_IO or the count.
    template <typename Start>
    std::int32_t Transfer(Start&& start, Clock::time_point deadline);

    qorplatform::Handle handle_;
    qorplatform::OverlappedIo io_;
};

}  // namespace qorcomm

#endif  // QORCOMM_PIPE_LINE_WIN32_H
