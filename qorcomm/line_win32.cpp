#include "line.h"

#include <optional>
#include <string>
#include <utility>

#include "open_sim_pipe_win32.h"
#include "pipe_line_win32.h"
#include "port_name_win32.h"
#include "qorcomm.h"
#include "serial_port_win32.h"

namespace qorcomm {

std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line) {
    // Wine takes any rate at all, 0 included; a real port refuses what it
    // cannot do in SetCommState. A pipe takes any, and is held to the same.
    if (baud <= 0) return QOR_E_BAUD;

    SimPipe pipe = OpenSimPipe(name);
    if (pipe.state == SimPipe::State::Busy) return QOR_E_BUSY;
    if (pipe.state == SimPipe::State::Opened) {
        return PipeLine::Adopt(std::move(pipe.handle), line);
    }

    const std::optional<std::wstring> path =
        qorplatform::WidePortName(qorplatform::ResolvePortName(name));
    if (!path) return QOR_E_NO_DEVICE;
    return SerialPort::Open(*path, static_cast<DWORD>(baud), line);
}

}  // namespace qorcomm
