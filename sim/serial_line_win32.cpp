#include "serial_line_win32.h"

#include "port_name_win32.h"
#include "raw_line_win32.h"
#include "system_failure.h"
#include "wide_text_win32.h"

#include <stdexcept>

namespace qorsim {

namespace {

// COMn as the library opens it (COM10 and up would be file names without
// the prefix); any other name as it is.
std::wstring DevicePath(const std::string& name) {
    return qorplatform::Widen(qorplatform::ResolvePortName(name));
}

}  // namespace

SerialLine::SerialLine(const std::string& name, std::uint32_t baud) : path_(DevicePath(name)) {
    if (path_.empty()) throw std::runtime_error(name + " is not a device name");
    // As the library opens and holds a port.
    port_ = qorplatform::ExclusivePort::Open(path_, FILE_FLAG_OVERLAPPED);
    switch (port_.GetOutcome()) {
        case qorplatform::ExclusivePort::Outcome::Opened: break;
        case qorplatform::ExclusivePort::Outcome::NoDevice:
            throw SystemFailure(name + ": cannot open it", port_.Error());
        case qorplatform::ExclusivePort::Outcome::NotSerialLine:
            throw std::runtime_error(name + " is not a serial line");
        case qorplatform::ExclusivePort::Outcome::Busy:
            throw std::runtime_error(name + " is in use by another program");
    }
    const HANDLE handle = port_.Get();
    DCB found = port_.Found();

    // All zero: a read waits for as many bytes as it asks for, so the serve
    // loop asks for one at a time and each arrives as it comes.
    COMMTIMEOUTS waitForBytes{};
    // As the library sets up its end.
    if (!qorplatform::SetRawLine(handle, found, baud)) {
        const std::runtime_error refused =
            SystemFailure(name + ": does not take the rate asked for");
        SetCommState(handle, &found);
        throw refused;
    }
    if (!SetCommTimeouts(handle, &waitForBytes)) {
        SetCommState(handle, &found);
        throw SystemFailure(name + ": cannot set its timeouts");
    }
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

SerialLine::~SerialLine() {
    DCB found = port_.Found();
    SetCommState(port_.Get(), &found);
}

}  // namespace qorsim
