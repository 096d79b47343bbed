#include "serve.h"

#include "frame.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iomanip>
#include <optional>
#include <span>
#include <stdexcept>
#include <system_error>

namespace qorsim {

namespace {

// The library writes a request in one go, so bytes of an unfinished frame
// that sit this long are a remnant (a writer killed mid-frame, line noise
// with an STX in it) that would otherwise swallow the start of the next
// request.
constexpr int kStalledFrameMs = 100;

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("cannot write to the terminal");
        }
        done += static_cast<std::size_t>(n);
    }
}

void LogReply(std::ostream& log, const Frame& request, const Reply& reply) {
    log << "qor-sim: request " << reply.requestNumber << " (seq " << unsigned{request.seq}
        << ", format " << unsigned{request.payload.at(0)} << "): status "
        << static_cast<unsigned>(reply.status);
    if (reply.fault) log << ", fault " << FaultName(*reply.fault);
    log << ", " << reply.bytes.size() << " bytes sent" << std::hex << std::uppercase
        << std::setfill('0');
    for (std::uint8_t byte : reply.bytes) log << ' ' << std::setw(2) << unsigned{byte};
    log << std::dec << std::setfill(' ') << std::endl;
}

}  // namespace

void Serve(int master, int signals, Responder& responder, std::ostream* log) {
    FrameReader reader;
    std::array<pollfd, 2> watched{pollfd{master, POLLIN, 0}, pollfd{signals, POLLIN, 0}};
    for (;;) {
        const int timeout = reader.HoldsPartialFrame() ? kStalledFrameMs : -1;
        const int ready = ::poll(watched.data(), watched.size(), timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            Fail("cannot wait for the terminal");
        }
        if (ready == 0) {
            reader.Discard();
            continue;
        }

        if (watched[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
                Fail("cannot read the signal");
            if (log) *log << "qor-sim: stopping on signal " << info.ssi_signo << std::endl;
            return;
        }

        const short events = watched[0].revents;
        if (events & POLLIN) {
            std::array<std::uint8_t, 256> buffer{};
            const ssize_t n = ::read(master, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                Fail("cannot read from the terminal");
            }
            reader.Feed(std::span(buffer.data(), static_cast<std::size_t>(n)));
            while (const std::optional<Frame> request = reader.Next()) {
                const std::optional<Reply> reply = responder.Answer(*request);
                if (!reply) continue;
                WriteAll(master, reply->bytes);
                if (log) LogReply(*log, *request, *reply);
            }
        } else if (events & (POLLERR | POLLHUP | POLLNVAL)) {
            // Cannot happen while the slave side is held open; bail out
            // rather than spin on an event that never clears.
            throw std::runtime_error("the terminal hung up");
        }
    }
}

}  // namespace qorsim
