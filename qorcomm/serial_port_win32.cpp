#include "serial_port_win32.h"

#include <algorithm>
#include <utility>

#include "deadline.h"
#include "open_device_win32.h"
#include "port_name_win32.h"
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

// Why CreateFileW refused `path`. On Windows a port another program has open
// is "access denied"; a folder is too, but it is no port at all.
std::int32_t OpenFailure(const std::wstring& path, DWORD error) {
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return QOR_E_NO_DEVICE;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return QOR_E_NOT_TERMINAL;
    }
    return QOR_E_BUSY;
}

}  // namespace

std::int32_t SerialPort::Open(const std::wstring& path, DWORD baud, std::unique_ptr<Line>& line) {
    // Allocated first: once the port is open, nothing may throw.
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->handle_ = qorplatform::Handle(qorplatform::OpenDevice(path, 0));
    if (!port->handle_.Valid()) return OpenFailure(path, GetLastError());
    const HANDLE handle = port->handle_.Get();

    // Nothing is written, nor any setting changed, before GetCommState has
    // said this is a serial port: under Wine a regular file opens too (and
    // would take the bytes), and so does a mapped COM whose target is gone.
    const DWORD type = GetFileType(handle);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        const bool noPort = GetLastError() == ERROR_INVALID_HANDLE || type == FILE_TYPE_DISK ||
                            type == FILE_TYPE_PIPE;
        return noPort ? QOR_E_NOT_TERMINAL : QOR_E_NO_DEVICE;
    }

    // Only a port gets locked, and before its settings change under whoever
    // else may have it.
    const std::int32_t locked = port->Lock(qorplatform::PortLockName(path));
    if (locked != QOR_OK) return locked;

    if (!qorplatform::SetRawLine(handle, dcb, baud)) return QOR_E_BAUD;
    // A line error left from the port's last user would, had it set
    // fAbortOnError, fail every read until cleared.
    ClearCommError(handle, nullptr, nullptr);
    if (!port->SetTimeouts(kReadNoWait)) return QOR_E_IO;
    line = std::move(port);
    return QOR_OPENED;
}

std::int32_t SerialPort::Lock(const std::wstring& name) {
    HANDLE object = CreateMutexW(nullptr, FALSE, name.c_str());
    if (object == nullptr) {
        // Held by a process of another user, whose object we may not open.
        return GetLastError() == ERROR_ACCESS_DENIED ? QOR_E_BUSY : QOR_E_IO;
    }
    qorplatform::Handle owned(object);
    if (GetLastError() == ERROR_ALREADY_EXISTS) return QOR_E_BUSY;
    lock_ = std::move(owned);
    return QOR_OK;
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
    if (!SetCommTimeouts(handle_.Get(), &wanted)) return false;
    timeouts_ = wanted;
    return true;
}

std::int32_t SerialPort::Read(COMMTIMEOUTS wait, std::uint8_t* into, DWORD size) {
    DWORD got = 0;
    if (!SetTimeouts(wait) || !ReadFile(handle_.Get(), into, size, &got, nullptr)) return QOR_E_IO;
    return static_cast<std::int32_t>(got);
}

std::int32_t SerialPort::Close() {
    const bool closed = handle_.Close();
    // Last, so no other process takes the port before this one let go.
    lock_.Close();
    return closed ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::DiscardInput() {
    return PurgeComm(handle_.Get(), PURGE_RXABORT | PURGE_RXCLEAR) ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        // A deadline already past still gets one try, as a write that would
        // not block does under termios.
        const DWORD ms = std::max<DWORD>(qorplatform::MillisecondsUntil<DWORD>(deadline), 1);
        DWORD written = 0;
        if (!SetTimeouts(WriteWait(ms)) ||
            !WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
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
