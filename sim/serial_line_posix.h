#pragma once

#include "file_descriptor_posix.h"

#include <termios.h>

#include <string>

namespace qorsim {

// A real serial line served in place of a pseudo-terminal (qor-sim
// --device): raw 8N1 at the given rate, no flow control, held for this
// process alone, and put back as it was found when this object goes.
class SerialLine {
public:
    // Throws std::runtime_error with a message for the user: `path` is no
    // terminal device, another program holds it, or it refuses the rate.
    SerialLine(const std::string& path, speed_t speed);
    ~SerialLine();

    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    int Get() const { return fd_.Get(); }

private:
    qorplatform::FileDescriptor fd_;
    termios found_{};
};

}  // namespace qorsim
