// The serial line through the Win32 comm functions, or a simulator's pipe
// when one of this user serves the COMn asked for (sim_pipe_win32.h). Under
// Wine a COM port is whatever Linux path the prefix maps it to, so nothing
// here trusts that an opened name is a port until GetCommState says so.
#include "serial_port.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "deadline.h"
#include "pipe_line_win32.h"
#include "port_name_win32.h"
#include "qorcomm.h"
#include "raw_line_win32.h"
#include "sim_pipe_win32.h"

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

struct SerialPort::Device {
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Wine does not enforce CreateFile's sharing mode on serial ports, so a
    // named object stands for "this port is open": it exists exactly while a
    // process holds the port, and the system closes it with the process,
    // however that ends.
    HANDLE lock = nullptr;
    // Set instead of the handle when the port is a simulator's pipe, whose
    // one instance keeps it to one process.
    std::optional<PipeLine> pipe;
    // The timeouts last set, so a read or write sets them only when they change.
    std::optional<COMMTIMEOUTS> timeouts;

    Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        // Last, so no other process takes the port before this one let go.
        if (lock != nullptr) CloseHandle(lock);
    }

    bool SetTimeouts(COMMTIMEOUTS wanted) {
        if (timeouts && timeouts->ReadIntervalTimeout == wanted.ReadIntervalTimeout &&
            timeouts->ReadTotalTimeoutMultiplier == wanted.ReadTotalTimeoutMultiplier &&
            timeouts->ReadTotalTimeoutConstant == wanted.ReadTotalTimeoutConstant &&
            timeouts->WriteTotalTimeoutMultiplier == wanted.WriteTotalTimeoutMultiplier &&
            timeouts->WriteTotalTimeoutConstant == wanted.WriteTotalTimeoutConstant) {
            return true;
        }
        timeouts.reset();
        if (!SetCommTimeouts(handle, &wanted)) return false;
        timeouts = wanted;
        return true;
    }

    // Takes the port's lock: QOR_OK, or QOR_E_BUSY when another process holds
    // it, or QOR_E_IO.
    std::int32_t Lock(const std::wstring& name) {
        HANDLE object = CreateMutexW(nullptr, FALSE, name.c_str());
        if (object == nullptr) {
            // Held by a process of another user, whose object we may not open.
            return GetLastError() == ERROR_ACCESS_DENIED ? QOR_E_BUSY : QOR_E_IO;
        }
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(object);
            return QOR_E_BUSY;
        }
        lock = object;
        return QOR_OK;
    }

    // Reads what the timeouts let through: QOR_E_IO, or the count of bytes.
    std::int32_t Read(COMMTIMEOUTS wait, std::uint8_t* into, DWORD size) {
        DWORD got = 0;
        if (!SetTimeouts(wait) || !ReadFile(handle, into, size, &got, nullptr)) return QOR_E_IO;
        return static_cast<std::int32_t>(got);
    }
};

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { Close(); }

std::int32_t SerialPort::Open(std::string_view name, std::int32_t baud) {
    Close();
    // Wine takes any rate at all, 0 included; a real port refuses what it
    // cannot do in SetCommState. A pipe takes any, and is held to the same.
    if (baud <= 0) return QOR_E_BAUD;
    auto device = std::make_unique<Device>();

    if (const std::optional<std::wstring> pipeName = qorplatform::SimPipeName(name)) {
        const qorplatform::SimPipe pipe = qorplatform::OpenSimPipe(*pipeName);
        if (pipe.state == qorplatform::SimPipe::State::Busy) return QOR_E_BUSY;
        if (pipe.state == qorplatform::SimPipe::State::Opened) {
            device->pipe.emplace(pipe.handle);
            if (!device->pipe->Ready()) return QOR_E_IO;
            device_ = std::move(device);
            baud_ = baud;
            return QOR_OPENED;
        }
    }

    const std::optional<std::wstring> wide =
        qorplatform::WidePortName(qorplatform::ResolvePortName(name));
    if (!wide) return QOR_E_NO_DEVICE;

    // SECURITY_IDENTIFICATION: a name that turns out to be a pipe must not
    // let its server act as this user.
    device->handle =
        CreateFileW(wide->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (device->handle == INVALID_HANDLE_VALUE) return OpenFailure(*wide, GetLastError());

    // Nothing is written, nor any setting changed, before GetCommState has
    // said this is a serial port: under Wine a regular file opens too (and
    // would take the bytes), and so does a mapped COM whose target is gone.
    const DWORD type = GetFileType(device->handle);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(device->handle, &dcb)) {
        const bool noPort = GetLastError() == ERROR_INVALID_HANDLE || type == FILE_TYPE_DISK ||
                            type == FILE_TYPE_PIPE;
        return noPort ? QOR_E_NOT_TERMINAL : QOR_E_NO_DEVICE;
    }

    // Only a port gets locked, and before its settings change under whoever
    // else may have it.
    const std::int32_t locked = device->Lock(qorplatform::PortLockName(*wide));
    if (locked != QOR_OK) return locked;

    if (!qorplatform::SetRawLine(device->handle, dcb, static_cast<DWORD>(baud))) return QOR_E_BAUD;
    // A line error left from the port's last user would, had it set
    // fAbortOnError, fail every read until cleared.
    ClearCommError(device->handle, nullptr, nullptr);
    if (!device->SetTimeouts(kReadNoWait)) return QOR_E_IO;
    device_ = std::move(device);
    baud_ = baud;
    return QOR_OPENED;
}

std::int32_t SerialPort::Close() {
    if (!device_) return QOR_OK;
    const std::unique_ptr<Device> device = std::move(device_);
    if (device->pipe) return device->pipe->Close() ? QOR_OK : QOR_E_IO;
    const BOOL closed = CloseHandle(std::exchange(device->handle, INVALID_HANDLE_VALUE));
    return closed ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::DiscardInput() {
    if (!device_) return QOR_E_NOT_OPEN;
    if (device_->pipe) return device_->pipe->DiscardInput();
    return PurgeComm(device_->handle, PURGE_RXABORT | PURGE_RXCLEAR) ? QOR_OK : QOR_E_IO;
}

std::int32_t SerialPort::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    if (!device_) return QOR_E_NOT_OPEN;
    if (device_->pipe) return device_->pipe->WriteAll(bytes, deadline);
    while (!bytes.empty()) {
        // A deadline already past still gets one try, as a write that would
        // not block does under termios.
        const DWORD ms = std::max<DWORD>(qorplatform::MillisecondsUntil<DWORD>(deadline), 1);
        DWORD written = 0;
        if (!device_->SetTimeouts(WriteWait(ms)) ||
            !WriteFile(device_->handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written == 0) {
            return QOR_E_IO;
        }
        bytes = bytes.subspan(written);
    }
    return QOR_OK;
}

std::int32_t SerialPort::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    if (!device_) return QOR_E_NOT_OPEN;
    if (device_->pipe) return device_->pipe->ReadSome(buffer, deadline);
    const DWORD size = static_cast<DWORD>(buffer.size());
    for (;;) {
        const DWORD ms = qorplatform::MillisecondsUntil<DWORD>(deadline);
        // Past the deadline, a read takes only what is already there.
        if (ms == 0) return device_->Read(kReadNoWait, buffer.data(), size);
        // The wait is for one byte: Windows ends a MAXDWORD/MAXDWORD/n wait at
        // the first byte, but Wine sits it out to the end, while either ends a
        // wait for one byte when it comes.
        const std::int32_t first = device_->Read(ReadWait(ms), buffer.data(), 1);
        if (first < 0) return first;
        if (first == 0) {
            if (Clock::now() >= deadline) return 0;
            continue;  // woken early, with nothing
        }
        if (size == 1) return 1;
        // Whatever came with it, without waiting.
        const std::int32_t more = device_->Read(kReadNoWait, buffer.data() + 1, size - 1);
        return more < 0 ? more : 1 + more;
    }
}

}  // namespace qorcomm
