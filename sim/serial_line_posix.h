#pragma once

#include "exclusive_port_posix.h"

#include <termios.h>

#include <string>

namespace qorsim {

// A real serial line served in place of a pseudo-terminal (qor-sim
// --device): raw 8N1 at the given rate, no flow control, held for this
// process alone, and put back as it was found when this object goes (the
// port does both).
class SerialLine {
public:
    // Throws std::runtime_error with a message for the user: `path` is no
    // terminal device or one the library refuses as its port, another
    // program holds it, or it refuses the rate.
    SerialLine(const std::string& path, speed_t speed);

    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    int Get() const { return port_.Get(); }

private:
    qorplatform::ExclusivePort port_;
};

}  // namespace qorsim
