// qor-sim --device on one end of a pseudo-terminal pair that socat links,
// the library on the other end by its path: the two over a serial line, as
// over a null-modem cable.
#include "sim_process.h"

#include "pty_peer.h"
#include "qorcomm.h"
#include "reader_line_posix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace simtest {
namespace {

// socat -d -d pty,raw,echo=0 pty,raw,echo=0, and the two terminals it names.
class PtyPair {
public:
    PtyPair() {
        int err[2];
        if (::pipe(err) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        std::vector<std::string> args{"socat", "-d", "-d", "pty,raw,echo=0", "pty,raw,echo=0"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, "socat", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);

        // It names each terminal on stderr ("PTY is /dev/pts/N") once made.
        std::string said;
        const std::regex named("PTY is (\\S+)");
        pollfd watched{err[0], POLLIN, 0};
        while (pid_ > 0 && ends_.size() < 2 && ::poll(&watched, 1, 5000) > 0) {
            char buffer[256];
            const ssize_t n = ::read(err[0], buffer, sizeof buffer);
            if (n <= 0) break;
            said.append(buffer, static_cast<std::size_t>(n));
            ends_.clear();
            for (std::sregex_iterator it(said.begin(), said.end(), named), end; it != end; ++it)
                ends_.push_back((*it)[1]);
        }
        ::close(err[0]);
    }
    ~PtyPair() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ready() const { return ends_.size() == 2; }
    const std::string& End(std::size_t i) const { return ends_.at(i); }

private:
    pid_t pid_ = -1;
    std::vector<std::string> ends_;
};

TEST(SimDevice, ServesASerialLineTheLibraryReadsOverTheOtherEnd) {
    PtyPair pair;
    ASSERT_TRUE(pair.Ready()) << "socat did not make a pair of terminals";
    SimProcess sim({"--device", pair.End(0), "--baud", "19200"});
    ASSERT_EQ(sim.FirstLine(), pair.End(0)) << sim.ErrorOutput();

    ASSERT_EQ(CROpenCom(pair.End(1).c_str(), 19200), QOR_OPENED);
    unsigned char sn[11] = {};
    EXPECT_EQ(CRReadCardSN(nullptr, sn, 2, 5), QOR_OK);
    EXPECT_STREQ(reinterpret_cast<char*>(sn), "00A1B2C3D4");
    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(sim.Stop(), 0);
}

termios ModeOf(const std::string& terminal) {
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    EXPECT_TRUE(fd >= 0 && ::tcgetattr(fd, &tio) == 0) << terminal;
    ::close(fd);
    return tio;
}

// Leaves `terminal` as a shell may have: cooked, echoing, flow control on.
void LeaveCooked(const std::string& terminal) {
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ::tcgetattr(fd, &tio);
    tio = readerline::AsAShellLeavesIt(tio);
    EXPECT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0) << terminal;
    ::close(fd);
}

// Each side sets up its line as the reader's needs, or one of them sends
// into a line the other reads differently (XON/XOFF, parity marks, RTS/CTS):
// qor-sim its own terminal and a --device line, the library its port.
TEST(SimLine, EachEndIsSetUpAsTheReadersLineNeeds) {
    {
        SimProcess sim({});
        const std::string terminal = sim.FirstLine();
        ASSERT_FALSE(terminal.empty()) << sim.ErrorOutput();
        EXPECT_EQ(readerline::WrongSettings(ModeOf(terminal)), "") << "qor-sim's own terminal";
        EXPECT_EQ(sim.Stop(), 0);
    }
    const ptypeer::Peer device;
    const ptypeer::Peer port;
    LeaveCooked(device.Path());
    LeaveCooked(port.Path());
    SimProcess sim({"--device", device.Path(), "--baud", "19200"});
    ASSERT_EQ(sim.FirstLine(), device.Path()) << sim.ErrorOutput();
    EXPECT_EQ(readerline::WrongSettings(ModeOf(device.Path())), "") << "--device";
    EXPECT_EQ(sim.Stop(), 0);
    ASSERT_EQ(CROpenCom(port.Path().c_str(), 19200), QOR_OPENED);
    EXPECT_EQ(readerline::WrongSettings(ModeOf(port.Path())), "") << "the library's port";
    CRCloseCom();
}

// The line is the holder's, and the lock the library takes says so.
TEST(SimDevice, RefusesALineTheLibraryHolds) {
    const ptypeer::Peer device;
    ASSERT_EQ(CROpenCom(device.Path().c_str(), 9600), QOR_OPENED);
    SimProcess sim({"--device", device.Path()});
    if (sim.FirstLine().empty()) {
        EXPECT_EQ(sim.WaitForExit(), 1);
        EXPECT_NE(sim.ErrorOutput().find("is in use by another program"), std::string::npos)
            << sim.ErrorOutput();
    } else {
        ADD_FAILURE() << "qor-sim serves a line the library holds";
        sim.Stop();
    }
    CRCloseCom();
}

// What the library never opens as its port is no line to serve: /dev/ptmx
// would give qor-sim a new master whose other end nobody holds.
TEST(SimDevice, RefusesTerminalsTheLibraryRefuses) {
    for (const std::string device : {"/dev/ptmx", "/dev/tty"}) {
        EXPECT_EQ(CROpenCom(device.c_str(), 9600), QOR_E_NOT_PORT) << device;
        SimProcess sim({"--device", device});
        if (sim.FirstLine().empty()) {
            EXPECT_EQ(sim.WaitForExit(), 1) << device;
            EXPECT_NE(sim.ErrorOutput().find(device + " is not a serial line: "), std::string::npos)
                << sim.ErrorOutput();
        } else {
            ADD_FAILURE() << "qor-sim serves " << device;
            sim.Stop();
        }
    }
}

TEST(SimDevice, GivesTheLineBackAsItFoundIt) {
    const ptypeer::Peer device;
    LeaveCooked(device.Path());
    const termios before = ModeOf(device.Path());
    SimProcess sim({"--device", device.Path()});
    ASSERT_EQ(sim.FirstLine(), device.Path()) << sim.ErrorOutput();
    EXPECT_EQ(sim.Stop(), 0);
    const termios after = ModeOf(device.Path());
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
}

TEST(SimDevice, RefusesWhatIsNoSerialLine) {
    SimProcess sim({"--device", "/dev/null"});
    EXPECT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.ErrorOutput().find("/dev/null is not a serial line"), std::string::npos);
}

}  // namespace
}  // namespace simtest
