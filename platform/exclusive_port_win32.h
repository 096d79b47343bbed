// How the library and qor-sim --device open a serial port on Windows and
// hold it for this process alone, with one reading of every failure.
#ifndef QORPLATFORM_EXCLUSIVE_PORT_WIN32_H
#define QORPLATFORM_EXCLUSIVE_PORT_WIN32_H

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "handle_win32.h"

namespace qorplatform {

class ProcessUser;

class ExclusivePort {
public:
    // No port: NoDevice.
    ExclusivePort() = default;

    enum class Outcome {
        Opened,         // a serial line, held by this process alone
        NoDevice,       // nothing there to open, or it would not open (error())
        NotSerialLine,  // it opened, or is a folder, but it is no serial line
        Busy,           // another process holds it
    };

    // Opens `path` (wide, resolved) for reading and writing with `flags`
    // (FILE_FLAG_OVERLAPPED, or 0) as OpenDevice does, and makes sure it is
    // a serial line before anything is written or changed: under Wine a
    // regular file opens too, and so does a mapped COM whose target is gone.
    static ExclusivePort Open(const std::wstring& path, DWORD flags);

    Outcome GetOutcome() const { return outcome_; }
    // The system's error code behind NoDevice, else 0.
    DWORD Error() const { return error_; }
    HANDLE Get() const { return handle_.Get(); }
    // The line's settings as the open found them.
    const DCB& Found() const { return found_; }

    // The port first, then the lock, so no other process of this user takes
    // the port before this one let go: true unless closing the port failed.
    bool Close();

private:
    // Takes the lock where the system lets a second open of the port
    // through: false when a process of this user holds it.
    bool Lock(const std::wstring& path);

    Outcome outcome_ = Outcome::NoDevice;
    DWORD error_ = 0;
    // Declared first, so it is let go of last.
    Handle lock_;
    Handle handle_;
    DCB found_{};
};

// The name of the object that, where the system does not keep a port for
// the one process that opened it (Wine), stands for "this port is open":
// in the session's own namespace, with `user`'s SID in it, the same for
// every spelling of one port (COM1, com1, \\.\COM1, //./com1), different
// for different ports. `path` is the resolved, wide name.
std::wstring PortLockName(std::wstring_view path, const ProcessUser& user);

}  // namespace qorplatform

#endif  // QORPLATFORM_EXCLUSIVE_PORT_WIN32_H
