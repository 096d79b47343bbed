#pragma once

#include "file_descriptor.h"

#include <string>

namespace qorsim {

struct PseudoTerminal {
    FileDescriptor master;
    // Kept open for the simulator's whole life: while it is, the master never
    // sees a hangup (EIO on read) when the library closes its side.
    FileDescriptor slave;
    std::string slavePath;
};

// Throws std::system_error.
PseudoTerminal OpenPseudoTerminal();

}  // namespace qorsim
