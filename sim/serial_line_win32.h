#pragma once

#include "exclusive_port_win32.h"

#include <cstdint>
#include <string>

namespace qorsim {

// A real serial line served in place of a pipe (qor-sim --device): raw 8N1
// at the given rate, no flow control, opened for overlapped I/O, held for
// this process alone as the library holds its ports, and put back as it was
// found when this object goes.
class SerialLine {
public:
    // `name` is COMn or a device path, in UTF-8. Throws std::runtime_error
    // with a message for the user: no such device, not a serial line, in use
    // by another program, or the rate refused.
    SerialLine(const std::string& name, std::uint32_t baud);
    ~SerialLine();

    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    HANDLE Get() const { return port_.Get(); }
    // The path opened: \\.\COMn for COMn.
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    qorplatform::ExclusivePort port_;
};

}  // namespace qorsim
