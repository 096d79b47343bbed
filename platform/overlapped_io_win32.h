// One overlapped operation at a time on a handle: started, waited for until
// it completes, time runs out or a stop event is set, and else cancelled and
// waited for again, since the system writes into its OVERLAPPED and buffer
// until it has ended. The reader library's pipe line and qor-sim's server
// both move their bytes through it; what the bytes mean stays theirs.
#ifndef QORPLATFORM_OVERLAPPED_IO_WIN32_H
#define QORPLATFORM_OVERLAPPED_IO_WIN32_H

#include <windows.h>

#include <cstddef>
#include <span>

#include "handle_win32.h"

namespace qorplatform {

struct OverlappedResult {
    enum class End {
        Completed,   // it succeeded, also while being cancelled: `moved` says how much
        Failed,      // it failed: `error` says why
        TimedOut,    // the time ran out and the cancel ended it
        Stopped,     // `stops[stop]` was set first; it was cancelled, `moved` counts
        WaitFailed,  // the wait failed (`error` says why); it was cancelled
    };
    End end = End::Failed;
    DWORD moved = 0;
    DWORD error = 0;
    std::size_t stop = 0;
};

class OverlappedIo {
public:
    // For `handle`, opened for overlapped I/O; it is not owned, and must
    // outlive this.
    explicit OverlappedIo(HANDLE handle);
    OverlappedIo(const OverlappedIo&) = delete;
    OverlappedIo& operator=(const OverlappedIo&) = delete;

    // Whether the event every wait needs could be made.
    bool Ready() const { return event_.Valid(); }

    // Starts an operation with `start(OVERLAPPED*)`, which returns what the
    // system call did, and waits up to `timeoutMs` (INFINITE for no limit)
    // for it or any of `stops` (at most MAXIMUM_WAIT_OBJECTS - 1). It has
    // ended, one way or the other, when this returns.
    template <typename Start>
    OverlappedResult Run(Start&& start, DWORD timeoutMs, std::span<const HANDLE> stops = {}) {
        OVERLAPPED* overlapped = Prepare();
        const DWORD startError = start(overlapped) ? ERROR_SUCCESS : GetLastError();
        return Finish(startError, timeoutMs, stops);
    }

private:
    OVERLAPPED* Prepare();
    OverlappedResult Finish(DWORD startError, DWORD timeoutMs, std::span<const HANDLE> stops);

    HANDLE handle_;
    Handle event_;
    OVERLAPPED overlapped_{};
};

}  // namespace qorplatform

#endif  // QORPLATFORM_OVERLAPPED_IO_WIN32_H
