// A pseudo-terminal whose master side stands in for the reader: one
// request, one scripted reply. Shared by the tests that read over a line.
#ifndef QORCOMM_TESTS_PTY_PEER_H
#define QORCOMM_TESTS_PTY_PEER_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "frame.h"
#include "test_vectors.h"

namespace ptypeer {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Reply = std::function<Bytes(std::uint8_t seq)>;

// The framing itself is pinned to hand-worked bytes in frame_test.cpp; here
// it only has to carry the SEQ the library happens to be at.
inline Bytes Make(std::uint8_t seq, const Bytes& payload, std::uint8_t cmd = 0xD2) {
    std::array<std::uint8_t, qorcomm::kMaxFrame> out{};
    const std::size_t size = qorcomm::BuildFrame(seq, cmd, payload, out);
    return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size)};
}

inline const Bytes& kCard26 = vectors::kCard26Payload;
inline const Bytes& kCard44 = vectors::kCard44Payload;

class Peer {
public:
    Peer() {
        // Close-on-exec, so a port-using child process never holds the master
        // and keeps the line from hanging up.
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            path_ = ::ptsname(master_);
        }
    }
    ~Peer() {
        Join();
        Hangup();
    }

    const std::string& Path() const { return path_; }

    // In the background: waits for one request, then writes what `reply`
    // makes of its SEQ, or hangs up when there is no `reply`.
    void Serve(Reply reply) {
        thread_ = std::thread([this, reply] {
            while (request_.size() < 8 && Readable(milliseconds(2000))) {
                std::uint8_t byte = 0;
                if (::read(master_, &byte, 1) != 1) return;
                request_.push_back(byte);
            }
            if (request_.size() < 8) return;
            if (!reply) {
                Hangup();
                return;
            }
            const Bytes bytes = reply(request_[1]);
            EXPECT_EQ(::write(master_, bytes.data(), bytes.size()),
                      static_cast<ssize_t>(bytes.size()));
        });
    }

    const Bytes& Request() {
        Join();
        return request_;
    }

    void Write(const Bytes& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    bool Readable(milliseconds wait) const {
        pollfd entry{master_, POLLIN, 0};
        return ::poll(&entry, 1, static_cast<int>(wait.count())) == 1 && (entry.revents & POLLIN);
    }

    // Whether `count` bytes written here wait, unread, on the slave side
    // within `wait`: a pseudo-terminal hands written bytes on a moment later.
    bool SlaveHolds(std::size_t count, milliseconds wait = milliseconds(2000)) const {
        const int slave = ::open(path_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        const Clock::time_point deadline = Clock::now() + wait;
        int waiting = 0;
        while (slave >= 0 && ::ioctl(slave, FIONREAD, &waiting) == 0 &&
               static_cast<std::size_t>(waiting) < count && Clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        if (slave >= 0) ::close(slave);
        return static_cast<std::size_t>(waiting) >= count;
    }

    // The slave side is no longer open anywhere.
    bool SlaveClosed() const {
        pollfd entry{master_, POLLIN, 0};
        return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLHUP);
    }

private:
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    void Hangup() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    int master_ = -1;
    std::string path_;
    Bytes request_;
    std::thread thread_;
};

}  // namespace ptypeer

#endif  // QORCOMM_TESTS_PTY_PEER_H
