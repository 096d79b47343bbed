#include "sim_process.h"

#include "conversation.h"
#include "deadline.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace simtest {
namespace {

namespace fs = std::filesystem;

TEST(SimCommandLine, UsageErrorExitsWith2AndSaysWhy) {
    PrivateRuntimeDir runtime;
    SimProcess sim({"--card", "0x10000000000"});
    EXPECT_EQ(sim.WaitForExit(), 2);
    EXPECT_NE(sim.ErrorOutput().find("more than 40 bits"), std::string::npos);
    EXPECT_TRUE(sim.FirstLine(std::chrono::milliseconds(0)).empty());
}

TEST(SimCommandLine, HelpListsTheOptionsAndExitsWith0) {
    SimProcess sim({"--help"});
    EXPECT_EQ(sim.FirstLine(), "Usage: qor-sim [OPTION]...");
    EXPECT_EQ(sim.WaitForExit(), 0);
}

class SimShutdown : public testing::TestWithParam<int> {};

// Cleanup must run on every signal a terminal or a service manager sends.
TEST_P(SimShutdown, RemovesTheAliasAndExitsWith0) {
    PrivateRuntimeDir runtime;
    SimProcess sim({"--port", "COM4"});
    const std::string terminal = sim.FirstLine();
    ASSERT_FALSE(terminal.empty());

    const fs::path alias = runtime.Alias("COM4");
    EXPECT_EQ(sim.Line(1), alias.string());
    ASSERT_TRUE(fs::is_symlink(alias));
    EXPECT_EQ(fs::read_symlink(alias), terminal);
    struct stat dir {};
    ASSERT_EQ(::stat(alias.parent_path().c_str(), &dir), 0);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);

    EXPECT_EQ(sim.Stop(GetParam()), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(alias)));
}

INSTANTIATE_TEST_SUITE_P(Signals, SimShutdown, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) -> std::string {
                             switch (info.param) {
                                 case SIGINT: return "SIGINT";
                                 case SIGTERM: return "SIGTERM";
                                 default: return "SIGHUP";
                             }
                         });

TEST(SimAlias, ReplacesADanglingLink) {
    PrivateRuntimeDir runtime;
    const fs::path alias = runtime.Alias("COM3");
    fs::create_directory(alias.parent_path());
    fs::create_symlink("/dev/pts/no-such-terminal", alias);

    SimProcess sim({"--port", "COM3"});
    const std::string terminal = sim.FirstLine();
    ASSERT_FALSE(terminal.empty()) << sim.ErrorOutput();
    EXPECT_EQ(fs::read_symlink(alias), terminal);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimAlias, RefusesAPortAnotherSimulatorServes) {
    PrivateRuntimeDir runtime;
    SimProcess first({"--port", "COM3"});
    const std::string terminal = first.FirstLine();
    ASSERT_FALSE(terminal.empty());

    SimProcess second({"--port", "COM3"});
    EXPECT_EQ(second.WaitForExit(), 1);
    EXPECT_NE(second.ErrorOutput().find("another simulator"), std::string::npos);
    EXPECT_EQ(fs::read_symlink(runtime.Alias("COM3")), terminal);
    EXPECT_EQ(first.Stop(), 0);
}

TEST(SimAlias, RefusesToReplaceSomethingThatIsNotALink) {
    PrivateRuntimeDir runtime;
    const fs::path alias = runtime.Alias("COM3");
    fs::create_directory(alias.parent_path());
    std::ofstream(alias) << "keep me";

    SimProcess sim({"--port", "COM3"});
    EXPECT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.ErrorOutput().find("is not a link"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(alias)));
    EXPECT_EQ(fs::file_size(alias), 7u);
}

// The library would ignore an alias there, and someone else could replace it.
TEST(SimAlias, RefusesAFolderOthersCanWriteTo) {
    PrivateRuntimeDir runtime;
    const fs::path folder = runtime.Alias("COM3").parent_path();
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_write);

    SimProcess sim({"--port", "COM3"});
    ASSERT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.ErrorOutput().find("nobody else can write to"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::symlink_status(runtime.Alias("COM3"))));
}

// Without XDG_RUNTIME_DIR the alias goes to a per-user folder in /tmp. The
// port number comes from the pid so parallel runs do not meet.
TEST(SimAlias, FallsBackToAPerUserFolderInTmp) {
    PrivateRuntimeDir runtime;
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string port = "COM" + std::to_string(100000 + ::getpid());
    const fs::path alias = fs::path("/tmp/qorcomm-" + std::to_string(::getuid())) / port;

    SimProcess sim({"--port", port});
    const std::string terminal = sim.FirstLine();
    ASSERT_FALSE(terminal.empty()) << sim.ErrorOutput();
    EXPECT_EQ(fs::read_symlink(alias), terminal);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(alias)));
}

// The program starts once the port is served, in the simulator's
// environment, and the simulator ends with it, taking its alias along.
TEST(SimThen, StartsTheProgramOnceServedAndEndsWithIt) {
    PrivateRuntimeDir runtime;
    const fs::path program = runtime.Path() / "program";
    const fs::path seen = runtime.Path() / "seen";
    std::ofstream(program)
        << "#!/bin/sh\n[ -L \"$XDG_RUNTIME_DIR/qorcomm/COM4\" ] && echo served > " << seen << "\n";
    fs::permissions(program, fs::perms::owner_all);

    SimProcess sim({"--port", "COM4", "--then", program.string()});
    ASSERT_FALSE(sim.FirstLine().empty()) << sim.ErrorOutput();
    EXPECT_EQ(sim.WaitForExit(), 0);
    std::string line;
    std::getline(std::ifstream(seen), line);
    EXPECT_EQ(line, "served");
    EXPECT_FALSE(fs::exists(fs::symlink_status(runtime.Alias("COM4"))));
}

// A signal ends the simulator and its program with it: by the time the
// simulator has exited, the program has had SIGTERM and has been waited for.
TEST(SimThen, EndsTheProgramWhenStopped) {
    PrivateRuntimeDir runtime;
    const fs::path program = runtime.Path() / "program";
    const fs::path pid = runtime.Path() / "pid";
    std::ofstream(program) << "#!/bin/sh\necho $$ > " << pid << "\nexec sleep 60\n";
    fs::permissions(program, fs::perms::owner_all);

    SimProcess sim({"--port", "COM4", "--then", program.string()});
    ASSERT_FALSE(sim.FirstLine().empty()) << sim.ErrorOutput();
    pid_t child = 0;
    for (int i = 0; i < 500 && child == 0; ++i) {
        std::ifstream(pid) >> child;
        if (child == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(child, 0);
    ::kill(sim.Pid(), SIGTERM);
    EXPECT_EQ(sim.WaitForExit(std::chrono::seconds(2)), 0);
    EXPECT_EQ(::kill(child, 0), -1) << "the program outlived the simulator";
}

using Bytes = std::vector<std::uint8_t>;

// One answer from `fd`: a whole frame, as long as its LEN says (STX, SEQ,
// CMD, LEN, the payload, a 2-byte CRC, ETX), and whatever came with it.
// Less when no whole frame arrives within 5 s.
Bytes ReadAnswer(int fd) {
    Bytes got;
    const auto whole = [&got] { return got.size() >= 4 && got.size() >= 7u + got[3]; };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        // More is waited for until the frame is whole; after that, only
        // what is there already is taken.
        const int wait = whole() ? 0 : qorplatform::MillisecondsUntil<int>(deadline);
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, wait) <= 0) return got;
        std::uint8_t buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return got;
        got.insert(got.end(), buffer, buffer + n);
    }
}

// Opens the terminal without setting its mode, as a careless client would:
// the simulator's raw mode alone must keep the line transparent, or XON in
// the SEQ, the ETX (^C) and canonical line buffering would eat the frames.
// Frame bytes computed with Python's binascii.crc_hqx(data, 0xFFFF).
TEST(SimTerminal, PassesBinaryFramesUntouchedAndResynchronises) {
    SimProcess sim({});
    const std::string terminal = sim.FirstLine();
    ASSERT_FALSE(terminal.empty());
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);

    // The start of a frame claiming 16 payload bytes, then a pause: the
    // simulator must drop it rather than count the next request into it.
    const Bytes stalled{0x02, 0x01, 0x52, 0x10};
    ASSERT_EQ(::write(fd, stalled.data(), stalled.size()), 4);
    // The pause is what is tested: quiet for longer than the simulator holds
    // an unfinished frame.
    std::this_thread::sleep_for(3 * qorsim::Conversation::kStalledFrame);

    const Bytes readFormat0{0x02, 0x11, 0x52, 0x01, 0x00, 0xEA, 0x4C, 0x03};
    ASSERT_EQ(::write(fd, readFormat0.data(), readFormat0.size()), 8);
    EXPECT_EQ(ReadAnswer(fd), (Bytes{0x02, 0x11, 0xD2, 0x06, 0x00, 0x1A, 0x59, 0x61, 0xEA, 0x40,
                                     0x67, 0x97, 0x03}));

    const Bytes readFormat9{0x02, 0x0A, 0x52, 0x01, 0x09, 0x7E, 0xDD, 0x03};
    ASSERT_EQ(::write(fd, readFormat9.data(), readFormat9.size()), 8);
    EXPECT_EQ(ReadAnswer(fd), (Bytes{0x02, 0x0A, 0xD2, 0x01, 0x02, 0xF4, 0xEC, 0x03}));

    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace simtest
