#include "line_posix.h"

#include "port_alias_posix.h"
#include "port_name_posix.h"
#include "qorcomm.h"
#include "serial_port_posix.h"

namespace qorcomm {

std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line) {
    return OpenLine(name, baud, line, BeforeOpen());
}

std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line,
                      const BeforeOpen& beforeOpen) {
    std::int32_t opened = QOR_E_NO_DEVICE;
    // A simulator that ends between the resolving and the open leaves its
    // alias leading to whatever terminal takes its terminal's name next, or
    // to nothing: what was opened is let go of, untouched, and the name
    // resolved again, once. So is a failed open of an alias that no longer
    // counts, whose error (no device, no access) is about a terminal the
    // name no longer leads to.
    for (int round = 0; round < 2; ++round) {
        const qorplatform::ResolvedPort port = qorplatform::ResolvePortName(name);
        if (beforeOpen) beforeOpen(port.path);
        bool aliasEnded = false;
        opened = SerialPort::Open(port.path, baud, line, [&](dev_t device) {
            aliasEnded = port.alias && !qorplatform::AliasStillLeadsTo(port.path, device);
            return !aliasEnded;
        });
        if (opened != QOR_OPENED && port.alias && !aliasEnded)
            aliasEnded = !qorplatform::AliasIsLive(port.path);
        if (!aliasEnded) break;
    }
    return opened;
}

}  // namespace qorcomm
