#pragma once

#include "handle_win32.h"

#include <string>

namespace qorsim {

// The server end of the pipe the library finds COMn by
// (platform/sim_pipe_win32.h): the first and only instance of its name, byte
// mode, local clients only, one at a time, open to this process's user and
// nobody else. Throws std::runtime_error with a message for the user, also
// when another simulator already serves the port.
qorplatform::Handle CreatePipeServer(const std::wstring& name, const std::string& portName);

}  // namespace qorsim
