// An alias left behind by a killed simulator, seen from both sides: the
// library must not follow it, and a new simulator must take the name over.
#include "sim_process.h"

#include "qorcomm.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace simtest {
namespace {

namespace fs = std::filesystem;

// A port whose /dev/ttyS fallback no machine has, so "not the alias" shows as
// QOR_E_NO_DEVICE.
const char* const kPort = "COM4096";

TEST(SimAliasAfterSigkill, LeadsNowhereAndANewSimulatorTakesTheName) {
    PrivateRuntimeDir runtime;
    const fs::path alias = runtime.Alias(kPort);
    {
        SimProcess killed({"--port", kPort});
        ASSERT_FALSE(killed.FirstLine().empty()) << killed.ErrorOutput();
        ASSERT_EQ(killed.Stop(SIGKILL), 128 + SIGKILL);
    }
    ASSERT_TRUE(fs::is_symlink(alias)) << "a killed simulator cannot remove its alias";

    // The terminal a new session gets may carry the dead simulator's number;
    // stand in for it by pointing the leftover link at a live terminal.
    const int session = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(session, 0);
    ASSERT_EQ(::grantpt(session), 0);
    ASSERT_EQ(::unlockpt(session), 0);
    fs::remove(alias);
    fs::create_symlink(::ptsname(session), alias);

    EXPECT_EQ(CROpenCom(kPort, 9600), QOR_E_NO_DEVICE);
    pollfd written{session, POLLIN, 0};
    EXPECT_EQ(::poll(&written, 1, 50), 0) << "something reached the session's terminal";

    SimProcess next({"--port", kPort});
    const std::string terminal = next.FirstLine();
    ASSERT_FALSE(terminal.empty()) << next.ErrorOutput();
    EXPECT_EQ(fs::read_symlink(alias), terminal);
    ASSERT_EQ(CROpenCom(kPort, 9600), QOR_OPENED);
    unsigned char sn[11] = {};
    EXPECT_EQ(CRReadCardSN(nullptr, sn, 2, 5), QOR_OK);
    EXPECT_STREQ(reinterpret_cast<char*>(sn), "00A1B2C3D4");
    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(next.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(alias)));
    ::close(session);
}

}  // namespace
}  // namespace simtest
