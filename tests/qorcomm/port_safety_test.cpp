// What an open does to a line beyond reading it: holds it for one process,
// gives back its settings at the close, and keeps away from terminals that
// are no reader's line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "guarded_sn.h"
#include "pty_peer.h"
#include "qorcomm.h"

extern char** environ;

namespace {

using ptypeer::kCard26;
using ptypeer::Make;
using ptypeer::Peer;
using std::chrono::milliseconds;

// The test helper port_user (port_user.cpp) as a child process, spoken to
// through pipes.
class PortUser {
public:
    explicit PortUser(std::vector<std::string> args = {}) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        args.insert(args.begin(), QOR_PORT_USER_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, QOR_PORT_USER_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        to_ = ::fdopen(in[1], "w");
        from_ = ::fdopen(out[0], "r");
    }
    ~PortUser() {
        if (to_) std::fclose(to_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
        if (from_) std::fclose(from_);
    }

    // The first number of the answer to `command`; INT32_MIN when none came.
    int32_t Ask(const std::string& command, std::string* rest = nullptr) {
        std::fprintf(to_, "%s\n", command.c_str());
        std::fflush(to_);
        char line[256];
        if (std::fgets(line, sizeof line, from_) == nullptr) return INT32_MIN;
        int32_t code = INT32_MIN;
        char text[64] = "";
        std::sscanf(line, "%d %63s", &code, text);
        if (rest) *rest = text;
        return code;
    }

    void Kill() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    FILE* to_ = nullptr;
    FILE* from_ = nullptr;
};

class PortSafety : public testing::Test {
protected:
    void TearDown() override { CRCloseCom(); }

    // Reads card 0x5A3C96F00F through this process's open port.
    static void ExpectRead(Peer& peer) {
        peer.Serve([](std::uint8_t seq) { return Make(seq, kCard26); });
        GuardedSn out;
        EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_OK);
        EXPECT_EQ(out.Text(), "000096F00F");
    }
};

using Exclusive = PortSafety;

TEST_F(Exclusive, ASecondProcessIsRefusedAndTheFirstKeepsReading) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    PortUser other;
    EXPECT_EQ(other.Ask("open " + peer.Path()), QOR_E_BUSY);
    ExpectRead(peer);

    ASSERT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(other.Ask("open " + peer.Path()), QOR_OPENED);
    EXPECT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_E_BUSY);
}

// The lock must not depend on the holder closing: a crash lets go of it too.
TEST_F(Exclusive, AKilledHolderLetsGo) {
    Peer peer;
    PortUser holder;
    ASSERT_EQ(holder.Ask("open " + peer.Path()), QOR_OPENED);
    EXPECT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_E_BUSY);
    holder.Kill();
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    ExpectRead(peer);
}

// TIOCEXCL on a pseudo-terminal would outlive a holder that died, for as
// long as the simulator keeps the master: the lock above is all it gets.
TEST_F(Exclusive, APseudoTerminalIsNeverMadeExclusive) {
    Peer peer;
    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
    const int line = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(line, 0);
    int exclusive = -1;
    EXPECT_EQ(::ioctl(line, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(line);
}

void ExpectSameSettings(const termios& a, const termios& b) {
    EXPECT_EQ(a.c_iflag, b.c_iflag);
    EXPECT_EQ(a.c_oflag, b.c_oflag);
    EXPECT_EQ(a.c_cflag, b.c_cflag);
    EXPECT_EQ(a.c_lflag, b.c_lflag);
    EXPECT_EQ(cfgetispeed(&a), cfgetispeed(&b));
    EXPECT_EQ(cfgetospeed(&a), cfgetospeed(&b));
    for (int i = 0; i < NCCS; ++i) EXPECT_EQ(a.c_cc[i], b.c_cc[i]) << "c_cc[" << i << "]";
}

using RestoredSettings = PortSafety;

// A cooked, echoing line at 2400 with odd characters: the open makes it raw,
// the close must give every one of these back.
TEST_F(RestoredSettings, TheCloseGivesBackWhatTheOpenFound) {
    Peer peer;
    const int line = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(line, 0);
    termios set{};
    ASSERT_EQ(::tcgetattr(line, &set), 0);
    set.c_iflag |= ICRNL | IXON | IXOFF;
    set.c_oflag |= OPOST | ONLCR;
    set.c_cflag = (set.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    set.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    set.c_cc[VMIN] = 7;
    set.c_cc[VTIME] = 3;
    set.c_cc[VINTR] = 0x18;
    ASSERT_EQ(cfsetspeed(&set, B2400), 0);
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &set), 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(line, &found), 0);

    ASSERT_EQ(CROpenCom(peer.Path().c_str(), 115200), QOR_OPENED);
    termios open{};
    ASSERT_EQ(::tcgetattr(line, &open), 0);
    EXPECT_EQ(open.c_lflag & ICANON, 0u);  // the open did change the line
    ExpectRead(peer);
    ASSERT_EQ(CRCloseCom(), QOR_OK);

    termios after{};
    ASSERT_EQ(::tcgetattr(line, &after), 0);
    ExpectSameSettings(after, found);
    ::close(line);
}

using RefusedDevices = PortSafety;

// Opening its own terminal, a program would write requests into the user's
// session and leave it raw: under any name, it is refused untouched.
TEST_F(RefusedDevices, TheCallersOwnControllingTerminal) {
    Peer peer;
    const int line = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(line, 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(line, &found), 0);

    {
        PortUser user({"--controlling-terminal", peer.Path()});
        EXPECT_EQ(user.Ask("open /dev/tty"), QOR_E_NOT_PORT);
        EXPECT_EQ(user.Ask("open " + peer.Path()), QOR_E_NOT_PORT);
        EXPECT_EQ(user.Ask("read"), QOR_E_NOT_OPEN);
    }
    EXPECT_FALSE(peer.Readable(milliseconds(50)));
    termios after{};
    ASSERT_EQ(::tcgetattr(line, &after), 0);
    ExpectSameSettings(after, found);
    ::close(line);

    // For a process it does not control, the same terminal is a line.
    EXPECT_EQ(CROpenCom(peer.Path().c_str(), 9600), QOR_OPENED);
}

// Each open of /dev/ptmx makes a new master: never a reader's line.
TEST_F(RefusedDevices, ThePseudoTerminalMultiplexer) {
    EXPECT_EQ(CROpenCom("/dev/ptmx", 9600), QOR_E_NOT_PORT);
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_E_NOT_OPEN);
}

}  // namespace
