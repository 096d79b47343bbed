#include "serial_line_win32.h"

#include "open_device_win32.h"
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
    // As the library opens a port: a name may lead to a pipe, whose server
    // must not act as this user.
    handle_ = qorplatform::Handle(qorplatform::OpenDevice(path_, FILE_FLAG_OVERLAPPED));
    if (!handle_.Valid()) {
        if (GetLastError() == ERROR_ACCESS_DENIED)
            throw std::runtime_error(name + " is in use by another program");
        throw SystemFailure(name + ": cannot open it");
    }
    // As the library does: a file or a pipe opens too, and must not be taken
    // for a line.
    found_.DCBlength = sizeof found_;
    if (!GetCommState(handle_.Get(), &found_))
        throw std::runtime_error(name + " is not a serial line");

    // The library's own lock on a port it has open (port_name_win32.h).
    lock_ =
        qorplatform::Handle(CreateMutexW(nullptr, FALSE, qorplatform::PortLockName(path_).c_str()));
    if (!lock_.Valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
        lock_ = qorplatform::Handle();
        throw std::runtime_error(name + " is in use by another program");
    }

    // All zero: a read waits for as many bytes as it asks for, so the serve
    // loop asks for one at a time and each arrives as it comes.
    COMMTIMEOUTS waitForBytes{};
    // As the library sets up its end.
    if (!qorplatform::SetRawLine(handle_.Get(), found_, baud)) {
        const std::runtime_error refused =
            SystemFailure(name + ": does not take the rate asked for");
        SetCommState(handle_.Get(), &found_);
        throw refused;
    }
    if (!SetCommTimeouts(handle_.Get(), &waitForBytes)) {
        SetCommState(handle_.Get(), &found_);
        throw SystemFailure(name + ": cannot set its timeouts");
    }
    PurgeComm(handle_.Get(), PURGE_RXCLEAR | PURGE_TXCLEAR);
}

SerialLine::~SerialLine() { SetCommState(handle_.Get(), &found_); }

}  // namespace qorsim
