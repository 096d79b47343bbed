#include "line.h"

#include "port_name.h"
#include "serial_port_posix.h"

namespace qorcomm {

std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line) {
    return SerialPort::Open(qorplatform::ResolvePortName(name), baud, line);
}

}  // namespace qorcomm
