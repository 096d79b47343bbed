#include "serve_posix.h"

#include "system_failure.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace qorsim {

namespace {

void WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw SystemFailure("cannot write to the line");
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void Serve(int line, int signals, Conversation& conversation, ThenProgram* program,
           std::ostream* log) {
    constexpr int kStalledFrameMs = static_cast<int>(Conversation::kStalledFrame.count());
    std::array<pollfd, 2> watched{pollfd{line, POLLIN, 0}, pollfd{signals, POLLIN, 0}};
    // A program that ended before the signal was watched for is found here.
    if (program != nullptr && program->HasEnded()) return;
    for (;;) {
        const int timeout = conversation.HoldsPartialFrame() ? kStalledFrameMs : -1;
        const int ready = ::poll(watched.data(), watched.size(), timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw SystemFailure("cannot wait for the line");
        }
        if (ready == 0) {
            conversation.DropPartialFrame();
            continue;
        }

        if (watched[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
                throw SystemFailure("cannot read the signal");
            if (info.ssi_signo == SIGCHLD) {
                if (program == nullptr || !program->HasEnded()) continue;
                if (log) *log << "qor-sim: stopping, the --then program has ended" << std::endl;
                return;
            }
            if (log) *log << "qor-sim: stopping on signal " << info.ssi_signo << std::endl;
            return;
        }

        const short events = watched[0].revents;
        if (events & POLLIN) {
            std::array<std::uint8_t, 256> buffer{};
            const ssize_t n = ::read(line, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                throw SystemFailure("cannot read from the line");
            }
            if (n == 0) throw std::runtime_error("the line was closed");
            WriteAll(line,
                     conversation.Take(std::span(buffer.data(), static_cast<std::size_t>(n))));
        } else if (events & (POLLERR | POLLHUP | POLLNVAL)) {
            // A pseudo-terminal never hangs up while its slave side is held
            // open; a serial line does when its device goes away. Either way,
            // bail out rather than spin on an event that never clears.
            throw std::runtime_error("the line hung up");
        }
    }
}

}  // namespace qorsim
