#include "serial_port_win32.h"

#include <algorithm>
#include <utility>

#include "deadline.h"
#include "qorcomm.h"
#include "raw_line_win32.h"

namespace qorcomm {
namespace {

// ReadFile returns at once with what has arrived, perhaps nothing.
constexpr COMMTIMEOUTS kReadNoWait = {MAXDWORD, 0, 0, 0, 0};

// ReadFile waits up to `ms` for as many bytes as asked.
COMMTIMEOUTS ReadWait(DWORD ms) { return {0, 0, ms, 0, 0}; }

// WriteFile gives up after `ms`.
COMMTIMEOUTS WriteWait(DWORD ms) { return {MAXDWORD, 0, 0, 0, ms}; }

}  // namespace

std::int32_t SerialPort::Open(const std::wstring& path, DWORD baud, std::unique_ptr<Line>& line) {
    // Owned from its open on: an early return below closes the port again,
    // and so does a throw (the open allocates the lock's name after the
    // device has opened), which the C entry points turn into QOR_E_IO.
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->port_ = qorplatform::ExclusivePort::Open(path, 0);
    switch (port->port_.GetOutcome()) {
        case qorplatform::ExclusivePort::Outcome::Opened: break;
        case qorplatform::ExclusivePort::Outcome::NoDevice: return QOR_E_NO_DEVICE;
        case qorplatform::ExclusivePort::Outcome::NotSerialLine: return QOR_E_NOT_TERMINAL;
        case qorplatform::ExclusivePort::Outcome::Busy: return QOR_E_BUSY;
    }
    const HANDLE handle = port->port_.Get();
    if (!qorplatform::SetRawLine(handle, port->port_.Found(), baud)) return QOR_E_BAUD;
    // A line error left from the port's last user would, had it set
    // fAbortOnError, fail every read until cleared.
    ClearCommError(handle, nullptr, nullptr);
    if (!port->SetTimeouts(kReadNoWait)) return QOR_E_IO;
    line = std::move(port);
    return QOR_OPENED;
}

bool SerialPort::SetTimeouts(COMMTIMEOUTS wanted) {
    if (timeouts_ && timeouts_->ReadIntervalTimeout == wanted.ReadIntervalTimeout &&
        timeouts_->ReadTotalTimeoutMultiplier == wanted.ReadTotalTimeoutMultiplier &&
        timeouts_->ReadTotalTimeoutConstant == wanted.ReadTotalTimeoutConstant &&
        timeouts_->WriteTotalTimeoutMultiplier == wanted.WriteTotalTimeoutMultiplier &&
        timeouts_->WriteTotalTimeoutConstant == wanted.WriteTotalTimeoutConstant) {
        return true;
    }
    timeouts_.reset();
    if (!SetCommTimeouts(port_.Get(), &wanted)) return false;
    timeouts_ = wanted;
    return true;
}

std::int32_t SerialPort::Read(COMMTIMEOUTS wait, std::uint8_t* into, DWORD size) {
    DWORD got = 0;
    if (!SetTimeouts(wait) || !ReadFile(port_.Get(), into, size, &got, nullptr)) return QOR_E_IO;
    return static_cast<std::int32_t>(got);
}

std::int32_t SerialPort::Close() { return port_.Close() ? QOR_OK : QOR_E_IO; }

std::int32_t SerialPort::DiscardInput() {
    return PurgeComm(port_.Get(), PURGE_RXABORT | PURGE_RXCLEAR) ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        // A deadline already past still gets one try, as a write that would
        // not block does under termios.
        const DWORD ms = std::max<DWORD>(qorplatform::MillisecondsUntil<DWORD>(deadline), 1);
        DWORD written = 0;
        if (!SetTimeouts(WriteWait(ms)) ||
            !WriteFile(port_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written == 0) {
            return QOR_E_IO;
        }
        bytes = bytes.subspan(written);
    }
    return QOR_OK;
}

std::int32_t SerialPort::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    for (;;) {
        const DWORD ms = qorplatform::MillisecondsUntil<DWORD>(deadline);
        // Past the deadline, a read takes only what is already there.
        if (ms == 0) return Read(kReadNoWait, buffer.data(), size);
        // The wait is for one byte: Windows ends a MAXDWORD/MAXDWORD/n wait at
        // the first byte, but Wine sits it out to the end, while either ends a
        // wait for one byte when it comes.
        const std::int32_t first = Read(ReadWait(ms), buffer.data(), 1);
        if (first < 0) return first;
        if (first == 0) {
            if (Clock::now() >= deadline) return 0;
            continue;  // woken early, with nothing
        }
        if (size == 1) return 1;
        // Whatever came with it, without waiting.
        const std::int32_t more = Read(kReadNoWait, buffer.data() + 1, size - 1);
        return more < 0 ? more : 1 + more;
    }
}

}  // namespace qorcomm
