#pragma once

#include "handle_win32.h"

#include <string>

namespace qorsim {

// Starts `program` (UTF-8; found as CreateProcessW finds a command) with no
// arguments and gives its process handle, which is signalled when it ends.
// Throws std::runtime_error when it cannot be started.
qorplatform::Handle StartProgram(const std::string& program);

}  // namespace qorsim
