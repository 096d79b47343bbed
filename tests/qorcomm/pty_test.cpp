// Reads through the C interface over a pseudo-terminal, with a small peer on
// the master side standing in for the reader: one request, one scripted reply.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "guarded_sn.h"
#include "line_timing.h"
#include "port_alias_posix.h"
#include "pty_peer.h"
#include "qorcomm.h"
#include "timing_slack.h"

namespace {

using ptypeer::Bytes;
using ptypeer::kCard26;
using ptypeer::kCard44;
using ptypeer::Make;
using ptypeer::Peer;
using ptypeer::Reply;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class Pty : public testing::Test {
protected:
    void TearDown() override { CRCloseCom(); }
};

TEST_F(Pty, ReadsACardOverTheLine) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    peer.Serve([](std::uint8_t seq) { return Make(seq, kCard44); });
    GuardedSn out;
    ASSERT_EQ(CRReadCardSN(&out.aux, out.Sn(), 2, 5), QOR_OK);
    EXPECT_EQ(out.Text(), "5A3C96F00F");
    EXPECT_EQ(out.Sn()[10], '\0');
    EXPECT_TRUE(out.GuardsIntact());
    EXPECT_EQ(out.aux, 44);

    const Bytes& request = peer.Request();
    ASSERT_EQ(request.size(), 8u);
    EXPECT_EQ(request, Make(request[1], {0x02}, 0x52));

    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_TRUE(peer.SlaveClosed());
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 2, 5), QOR_E_NOT_OPEN);
}

// The test stands in for the simulator: the alias counts while its lock is
// held.
TEST_F(Pty, OpensAComNameThroughItsAlias) {
    Peer peer;
    const std::filesystem::path xdg =
        std::filesystem::temp_directory_path() / ("qorcomm-pty-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(xdg / "qorcomm");
    std::filesystem::permissions(xdg / "qorcomm", std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(peer.Path(), xdg / "qorcomm" / "COM7");
    qorplatform::AliasLock lock(xdg / "qorcomm" / "COM7");
    ASSERT_TRUE(lock.Held());
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", xdg.c_str(), 1);

    EXPECT_EQ(CROpenCom("com7", 115200), QOR_OPENED);

    saved ? ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(xdg);
    peer.Serve([](std::uint8_t seq) { return Make(seq, kCard26); });
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_OK);
    EXPECT_EQ(out.Text(), "000096F00F");
}

TEST_F(Pty, JudgesTheAnswer) {
    const auto constant = [](Bytes bytes) { return [bytes](std::uint8_t) { return bytes; }; };
    const struct {
        const char* name;
        Reply reply;
        std::int32_t code;
    } kCases[] = {
        {"late answer, then the right one",
         [](std::uint8_t seq) {
             Bytes bytes =
                 Make(static_cast<std::uint8_t>(seq - 1), {0x00, 26, 0x7F, 0xFF, 0xFF, 0xC0});
             const Bytes right = Make(seq, kCard26);
             bytes.insert(bytes.end(), right.begin(), right.end());
             return bytes;
         },
         QOR_OK},
        {"CRC mismatch",
         [](std::uint8_t seq) {
             Bytes bytes = Make(seq, kCard26);
             bytes[bytes.size() - 2] ^= 0xFF;
             return bytes;
         },
         QOR_E_BAD_FRAME},
        {"garbage, then silence", constant({0x55, 0xAA, 0xFF}), QOR_E_PARTIAL},
        {"half a frame, then silence", constant({0x02, 0x01, 0xD2, 0x06, 0x00}), QOR_E_PARTIAL},
        {"silence", constant({}), QOR_E_TIMEOUT},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        Peer peer;
        ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
        peer.Serve(c.reply);
        GuardedSn out;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), c.code);
        const auto elapsed = Clock::now() - start;
        const bool waits = c.code == QOR_E_TIMEOUT || c.code == QOR_E_PARTIAL;
        if (waits) {
            EXPECT_GE(elapsed, qorcomm::kAnswerTimeout);
        }
        EXPECT_LT(elapsed, waits ? qorcomm::kAnswerTimeout + kTimingSlack : kTimingSlack);
        if (c.code == QOR_OK) {
            EXPECT_EQ(out.Text(), "000096F00F");
            EXPECT_EQ(out.aux, 26);
        } else {
            EXPECT_TRUE(out.Untouched());
        }
    }
}

TEST_F(Pty, ThrowsAwayBytesWaitingBeforeTheRequest) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    // The start of a frame that, kept, would swallow the answer's first bytes.
    peer.Write({0x02, 0x00, 0xD2});
    ASSERT_TRUE(peer.SlaveHolds(3));
    peer.Serve([](std::uint8_t seq) { return Make(seq, kCard26); });
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_OK);
}

TEST_F(Pty, BadArgumentsLeaveTheLineAlone) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(&out.aux, nullptr, 0, 1), QOR_E_ARGUMENT);
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), vectors::kCardTypeCount, 1), QOR_E_ARGUMENT);
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, vectors::kCodeTypeCount), QOR_E_ARGUMENT);
    EXPECT_TRUE(out.Untouched());
    EXPECT_FALSE(peer.Readable(milliseconds(50)));
}

TEST_F(Pty, RefusesRatesThePlatformCannotSet) {
    Peer peer;
    for (std::int32_t baud : {0, -9600, 12345, 9601, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(CROpenCom(peer.Path().c_str(), baud), QOR_E_BAUD) << baud;
    }
    for (std::int32_t baud : {50, 1200, 115200}) {
        EXPECT_EQ(CROpenCom(peer.Path().c_str(), baud), QOR_OPENED) << baud;
    }
}

TEST_F(Pty, AHangupIsAnIoErrorAtOnce) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    peer.Serve(nullptr);
    GuardedSn out;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_E_IO);
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_E_IO);
    EXPECT_LT(Clock::now() - start, kTimingSlack);
    EXPECT_TRUE(out.Untouched());
}

TEST_F(Pty, OpeningAgainClosesTheOpenPort) {
    Peer first;
    Peer second;
    ASSERT_EQ(CROpenCom(first.Path().c_str(), 9600), QOR_OPENED);
    ASSERT_EQ(CROpenCom(second.Path().c_str(), 9600), QOR_OPENED);
    EXPECT_TRUE(first.SlaveClosed());
    second.Serve([](std::uint8_t seq) { return Make(seq, kCard26); });
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_OK);
}

}  // namespace
