#include "overlapped_io_win32.h"

#include <algorithm>
#include <array>

namespace qorplatform {

OverlappedIo::OverlappedIo(HANDLE handle)
    : handle_(handle), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

OVERLAPPED* OverlappedIo::Prepare() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.Get();
    return &overlapped_;
}

OverlappedResult OverlappedIo::Finish(DWORD startError, DWORD timeoutMs,
                                      std::span<const HANDLE> stops) {
    OverlappedResult result;
    if (startError != ERROR_SUCCESS && startError != ERROR_IO_PENDING) {
        result.error = startError;
        return result;
    }
    std::array<HANDLE, MAXIMUM_WAIT_OBJECTS> waits{event_.Get()};
    const std::size_t count = 1 + std::min(stops.size(), waits.size() - 1);
    std::copy_n(stops.begin(), count - 1, waits.begin() + 1);
    const DWORD woken =
        WaitForMultipleObjects(static_cast<DWORD>(count), waits.data(), FALSE, timeoutMs);
    if (woken == WAIT_OBJECT_0) {
        if (GetOverlappedResult(handle_, &overlapped_, &result.moved, FALSE)) {
            result.end = OverlappedResult::End::Completed;
        } else {
            result.error = GetLastError();
        }
        return result;
    }
    const DWORD waitError = GetLastError();
    // The operation may complete while it is being cancelled: then what it
    // moved is real and counts.
    CancelIoEx(handle_, &overlapped_);
    const bool completed = GetOverlappedResult(handle_, &overlapped_, &result.moved, TRUE) != FALSE;
    const DWORD error = completed ? ERROR_SUCCESS : GetLastError();
    if (woken == WAIT_FAILED) {
        result.end = OverlappedResult::End::WaitFailed;
        result.error = waitError;
    } else if (woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
        result.end = OverlappedResult::End::Stopped;
        result.stop = woken - WAIT_OBJECT_0 - 1;
    } else if (completed) {
        result.end = OverlappedResult::End::Completed;
    } else if (error == ERROR_OPERATION_ABORTED) {
        result.end = OverlappedResult::End::TimedOut;
    } else {
        result.error = error;
    }
    return result;
}

}  // namespace qorplatform
