#pragma once

#include "handle_win32.h"

#include <windows.h>

#include <string>

namespace qorsim {

// The --then program, which lives no longer than the simulator: it runs in a
// job that the system ends as soon as the simulator's handle to it closes,
// however the simulator ends (its console closed, Ctrl+Break, an error, or
// killed outright), so no window goes on using a port nobody serves.
class ThenProgram {
public:
    // Starts `program` (UTF-8; found as CreateProcessW finds a command) with
    // no arguments. Throws std::runtime_error when it cannot be started in
    // the job.
    // `resume` lets the started program's thread go; a test gives its own.
    using ResumeFunction = DWORD(WINAPI*)(HANDLE thread);
    explicit ThenProgram(const std::string& program, ResumeFunction resume = ResumeThread);

    // Signalled when the program ends.
    HANDLE Process() const { return process_.Get(); }

private:
    qorplatform::Handle job_;
    qorplatform::Handle process_;
};

}  // namespace qorsim
