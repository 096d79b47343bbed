#include "serve_win32.h"

#include "overlapped_io_win32.h"
#include "system_failure.h"

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qorsim {

namespace {

constexpr DWORD kStalledFrameMs = static_cast<DWORD>(Conversation::kStalledFrame.count());

enum class Outcome {
    Done,      // the operation completed; `moved` says how much
    TimedOut,  // nothing completed in the time given
    Broken,    // the operation failed; Operations::Error() says why
    Console,   // asked to stop
    Program,   // the --then program ended
};

// The client went away: the pipe waits for the next one.
bool ClientGone(DWORD error) {
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED ||
           error == ERROR_NO_DATA;
}

// One overlapped operation at a time on one handle, each waited for along
// with the reasons to stop.
class Operations {
public:
    Operations(HANDLE handle, const StopWhen& stop) : io_(handle), stop_(stop) {
        if (!io_.Ready()) throw SystemFailure("cannot make an event");
    }

    // Starts an operation with `start(OVERLAPPED*)` and waits up to
    // `timeout` ms for it. An operation still running when the wait ends is
    // cancelled, and what it moved meanwhile counts.
    template <typename Start>
    Outcome Run(Start&& start, DWORD timeout, DWORD& moved) {
        const std::array<HANDLE, 2> stops{stop_.console, stop_.program};
        const std::size_t count = stop_.program != nullptr ? 2 : 1;
        const qorplatform::OverlappedResult result =
            io_.Run(std::forward<Start>(start), timeout, std::span(stops.data(), count));
        moved = result.moved;
        switch (result.end) {
            case qorplatform::OverlappedResult::End::Completed: return Outcome::Done;
            case qorplatform::OverlappedResult::End::TimedOut: return Outcome::TimedOut;
            case qorplatform::OverlappedResult::End::Failed:
                error_ = result.error;
                return Outcome::Broken;
            case qorplatform::OverlappedResult::End::Stopped:
                return result.stop == 0 ? Outcome::Console : Outcome::Program;
            case qorplatform::OverlappedResult::End::WaitFailed: break;
        }
        throw SystemFailure("cannot wait for the line", result.error);
    }

    // Why the last operation that came out Broken failed.
    DWORD Error() const { return error_; }

private:
    qorplatform::OverlappedIo io_;
    StopWhen stop_;
    DWORD error_ = 0;
};

void LogStop(std::ostream* log, Outcome why) {
    if (!log) return;
    if (why == Outcome::Program)
        *log << "qor-sim: stopping, the --then program has ended" << std::endl;
    else
        *log << "qor-sim: stopping on the console's request" << std::endl;
}

// Serves one client or one line until it goes (Broken, the error in
// operations.Error()) or a stop comes (Console, Program).
Outcome Converse(HANDLE handle, DWORD chunk, Operations& operations, Conversation& conversation) {
    std::array<std::uint8_t, 256> buffer{};
    for (;;) {
        const DWORD timeout = conversation.HoldsPartialFrame() ? kStalledFrameMs : INFINITE;
        DWORD got = 0;
        const Outcome read = operations.Run(
            [&](OVERLAPPED* overlapped) {
                return ReadFile(handle, buffer.data(), chunk, nullptr, overlapped);
            },
            timeout, got);
        if (read == Outcome::TimedOut) {
            conversation.DropPartialFrame();
            continue;
        }
        if (read != Outcome::Done) return read;

        const std::vector<std::uint8_t> answer =
            conversation.Take(std::span(buffer.data(), static_cast<std::size_t>(got)));
        std::span<const std::uint8_t> left(answer);
        while (!left.empty()) {
            DWORD written = 0;
            const Outcome write = operations.Run(
                [&](OVERLAPPED* overlapped) {
                    return WriteFile(handle, left.data(), static_cast<DWORD>(left.size()), nullptr,
                                     overlapped);
                },
                INFINITE, written);
            if (write != Outcome::Done) return write;
            left = left.subspan(written);
        }
    }
}

}  // namespace

void ServePipe(HANDLE pipe, Conversation& conversation, const StopWhen& stop, std::ostream* log) {
    Operations operations(pipe, stop);
    for (;;) {
        DWORD ignored = 0;
        Outcome connected = operations.Run(
            [&](OVERLAPPED* overlapped) { return ConnectNamedPipe(pipe, overlapped); }, INFINITE,
            ignored);
        // A client that connected before the call is there all the same.
        if (connected == Outcome::Broken && operations.Error() == ERROR_PIPE_CONNECTED)
            connected = Outcome::Done;
        if (connected == Outcome::Console || connected == Outcome::Program) {
            LogStop(log, connected);
            return;
        }
        if (connected == Outcome::Done) {
            if (log) *log << "qor-sim: a client connected" << std::endl;
            // Nothing of the last client's may count for this one.
            conversation.DropPartialFrame();
            const Outcome ended = Converse(pipe, 256, operations, conversation);
            if (ended == Outcome::Console || ended == Outcome::Program) {
                LogStop(log, ended);
                return;
            }
            if (!ClientGone(operations.Error()))
                throw SystemFailure("cannot serve the pipe", operations.Error());
            if (log) *log << "qor-sim: the client left" << std::endl;
        } else if (!ClientGone(operations.Error())) {
            throw SystemFailure("cannot wait for a client", operations.Error());
        }
        // Listens again, for the next client.
        if (!DisconnectNamedPipe(pipe)) throw SystemFailure("cannot let the client go");
    }
}

void ServeLine(HANDLE line, Conversation& conversation, const StopWhen& stop, std::ostream* log) {
    Operations operations(line, stop);
    // One byte a read: the line's reads wait for every byte asked for.
    const Outcome ended = Converse(line, 1, operations, conversation);
    if (ended == Outcome::Broken) throw SystemFailure("the line failed", operations.Error());
    LogStop(log, ended);
}

}  // namespace qorsim
