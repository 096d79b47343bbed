// Deadlines as the Win32 waits take them, for the serial port and the pipe.
#ifndef QORCOMM_DEADLINE_WIN32_H
#define QORCOMM_DEADLINE_WIN32_H

#include <windows.h>

#include <chrono>

#include "serial_port.h"

namespace qorcomm {

// What is left until `deadline` in whole milliseconds, rounded up so a wait
// never ends just short of it; MAXDWORD (INFINITE, and a value of its own in
// COMMTIMEOUTS) is never returned.
inline DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms < MAXDWORD ? static_cast<DWORD>(ms) : MAXDWORD - 1;
}

}  // namespace qorcomm

#endif  // QORCOMM_DEADLINE_WIN32_H
