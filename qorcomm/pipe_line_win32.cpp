#include "pipe_line_win32.h"

#include <algorithm>
#include <array>
#include <utility>

#include "deadline.h"
#include "qorcomm.h"

namespace qorcomm {
namespace {

// Bytes PeekNamedPipe has counted are there: reading them takes no time, and
// a read that does not end at once means the pipe has failed.
constexpr std::chrono::milliseconds kReadOfWaitingBytes{50};

}  // namespace

PipeLine::PipeLine(qorplatform::Handle pipe) : handle_(std::move(pipe)), io_(handle_.Get()) {}

std::int32_t PipeLine::Adopt(qorplatform::Handle pipe, std::unique_ptr<Line>& line) {
    std::unique_ptr<PipeLine> adopted(new PipeLine(std::move(pipe)));
    if (!adopted->io_.Ready()) return QOR_E_IO;
    line = std::move(adopted);
    return QOR_OPENED;
}

std::int32_t PipeLine::Close() { return handle_.Close() ? QOR_OK : QOR_E_IO; }

template <typename Start>
std::int32_t PipeLine::Transfer(Start&& start, Clock::time_point deadline) {
    const qorplatform::OverlappedResult result =
        io_.Run(std::forward<Start>(start), qorplatform::MillisecondsUntil<DWORD>(deadline));
    if (result.end == qorplatform::OverlappedResult::End::Completed) {
        return static_cast<std::int32_t>(result.moved);
    }
    // Cancelled at the deadline, with nothing moved by then.
    if (result.end == qorplatform::OverlappedResult::End::TimedOut) return 0;
    return QOR_E_IO;
}

std::int32_t PipeLine::DiscardInput() {
    std::array<std::uint8_t, 256> dropped{};
    for (;;) {
        DWORD waiting = 0;
        // Fails once the simulator has gone, as PurgeComm on a port that went
        // away does not, and the read would fail next anyway.
        if (!PeekNamedPipe(handle_.Get(), nullptr, 0, nullptr, &waiting, nullptr)) return QOR_E_IO;
        if (waiting == 0) return QOR_OK;
        const DWORD size = std::min<DWORD>(waiting, dropped.size());
        const std::int32_t got = Transfer(
            [&](OVERLAPPED* overlapped) {
                return ReadFile(handle_.Get(), dropped.data(), size, nullptr, overlapped);
            },
            Clock::now() + kReadOfWaitingBytes);
        if (got <= 0) return QOR_E_IO;
    }
}

std::int32_t PipeLine::WriteAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const std::int32_t written = Transfer(
            [&](OVERLAPPED* overlapped) {
                return WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                 nullptr, overlapped);
            },
            deadline);
        if (written <= 0) return QOR_E_IO;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return QOR_OK;
}

std::int32_t PipeLine::ReadSome(std::span<std::uint8_t> buffer, Clock::time_point deadline) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    // A byte-mode pipe ends a read with whatever has arrived, so one read
    // waits for the first byte and brings what came with it. A simulator
    // that went away fails it (ERROR_BROKEN_PIPE), as a device can.
    for (;;) {
        const std::int32_t got = Transfer(
            [&](OVERLAPPED* overlapped) {
                return ReadFile(handle_.Get(), buffer.data(), size, nullptr, overlapped);
            },
            deadline);
        // An empty write on the other side ends a read with nothing.
        if (got != 0 || Clock::now() >= deadline) return got;
    }
}

}  // namespace qorcomm
