#pragma once

#include "file_descriptor_posix.h"

#include <string>

namespace qorsim {

struct PseudoTerminal {
    qorplatform::FileDescriptor master;
    // Kept open for the simulator's whole life: while it is, the master never
    // sees a hangup (EIO on read) when the library closes its side.
    qorplatform::FileDescriptor slave;
    std::string slavePath;
};

// Throws std::runtime_error with a message for the user.
PseudoTerminal OpenPseudoTerminal();

}  // namespace qorsim
