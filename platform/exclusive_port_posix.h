// How the library and qor-sim --device open a terminal device as a serial
// line and hold it for this process alone, with one reading of every
// failure: a terminal the library refuses, the simulator refuses too.
#ifndef QORPLATFORM_EXCLUSIVE_PORT_POSIX_H
#define QORPLATFORM_EXCLUSIVE_PORT_POSIX_H

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>

#include "file_descriptor_posix.h"

namespace qorplatform {

class ExclusivePort {
public:
    enum class Outcome {
        Opened,        // a serial line, held by this process alone
        NoDevice,      // nothing there, or it would not open (Error())
        NoAccess,      // this user may not open it (Error())
        Busy,          // another process holds it
        NotTerminal,   // a file, a folder, a FIFO, a device that is no terminal
        NotLine,       // a terminal that is never a line: /dev/tty, /dev/ptmx, the caller's own
        NotConfirmed,  // the caller's Confirm refused what was opened
        Failed,        // the terminal refused a call that takes or reads it (Error())
    };

    // Asked of the device opened, before anything is taken or changed:
    // false lets go of it again.
    using Confirm = std::function<bool(dev_t device)>;

    // Opens `path` for reading and writing, non-blocking and never as the
    // controlling terminal, makes sure it is a line before anything is
    // written or changed, and takes it: the lock every opener of a line
    // takes, and on a real port exclusive use. Anything but Opened holds
    // nothing.
    static ExclusivePort Open(const std::string& path, const Confirm& confirm = {});

    ExclusivePort(ExclusivePort&&) = default;
    ExclusivePort& operator=(ExclusivePort&&) = delete;
    ExclusivePort(const ExclusivePort&) = delete;
    ExclusivePort& operator=(const ExclusivePort&) = delete;
    ~ExclusivePort() { Close(); }

    Outcome GetOutcome() const { return outcome_; }
    // The errno behind NoDevice, NoAccess and Failed, else 0.
    int Error() const { return error_; }
    int Get() const { return fd_.Get(); }
    // The line's settings as the open found them.
    const termios& Found() const { return found_; }

    // Puts back the settings found, gives up exclusive use and closes: true
    // unless the close reported an error. A line that has gone away cannot
    // take its settings back, and that is no reason to call the close failed.
    bool Close();

private:
    ExclusivePort() = default;
    Outcome Take(const std::string& path, const Confirm& confirm);

    FileDescriptor fd_;
    Outcome outcome_ = Outcome::NoDevice;
    int error_ = 0;
    termios found_{};
    bool settingsTaken_ = false;
    bool exclusive_ = false;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_EXCLUSIVE_PORT_POSIX_H
