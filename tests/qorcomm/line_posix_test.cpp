// The library's open of COMn, stepped into between resolving the name and
// opening what it leads to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line_posix.h"
#include "port_alias_posix.h"
#include "pty_peer.h"
#include "qorcomm.h"

namespace {

namespace fs = std::filesystem;

// The test stands in for a simulator serving COM4096, which ends once the
// name has led to its alias, and for the terminal that then takes its
// terminal's name (a shell's, say). So that the taking is certain, the
// alias leads to the terminal through a link of the test's, which it moves.
class LineAlias : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(fs::exists("/dev/ttyS4095"));
        fs::create_directories(root / "qorcomm");
        fs::permissions(root / "qorcomm", fs::perms::owner_all);
        fs::create_symlink(simulator->Path(), terminal);
        fs::create_symlink(terminal, alias);
        lock.emplace(alias);
        ASSERT_TRUE(lock->Held());
        if (const char* saved = std::getenv("XDG_RUNTIME_DIR")) savedRuntimeDir = saved;
        ::setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    }
    void TearDown() override {
        savedRuntimeDir ? ::setenv("XDG_RUNTIME_DIR", savedRuntimeDir->c_str(), 1)
                        : ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(root);
    }

    // The simulator ends: its lock goes and its terminal with it.
    void EndSimulator() {
        lock.reset();
        simulator.reset();
        fs::remove(terminal);
    }

    ptypeer::Peer shell;
    std::optional<ptypeer::Peer> simulator{std::in_place};
    const fs::path root =
        fs::temp_directory_path() / ("qorcomm-line-test-" + std::to_string(::getpid()));
    const fs::path terminal = root / "terminal";
    const fs::path alias = root / "qorcomm" / "COM4096";
    std::optional<qorplatform::AliasLock> lock;
    std::optional<std::string> savedRuntimeDir;
};

TEST_F(LineAlias, LetsGoOfWhatAnAliasLedToOnceItsSimulatorHasEnded) {
    std::unique_ptr<qorcomm::Line> line;
    const std::int32_t opened = qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string&) {
        if (!simulator) return;
        EndSimulator();
        fs::create_symlink(shell.Path(), terminal);
    });
    // The port is then the system's /dev/ttyS4095, which is not there.
    EXPECT_EQ(opened, QOR_E_NO_DEVICE);
    EXPECT_FALSE(line);
}

// The simulator ends and nothing takes its terminal's name: the open fails
// on the alias, and its error is about a terminal the name no longer leads
// to, so the name is resolved again.
TEST_F(LineAlias, ResolvesAgainWhenTheOpenOfAnEndedAliasFails) {
    std::vector<std::string> opening;
    std::unique_ptr<qorcomm::Line> line;
    const std::int32_t opened =
        qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string& path) {
            opening.push_back(path);
            if (simulator) EndSimulator();
        });
    EXPECT_EQ(opening, (std::vector<std::string>{alias.string(), "/dev/ttyS4095"}));
    EXPECT_EQ(opened, QOR_E_NO_DEVICE);
    EXPECT_FALSE(line);
}

}  // namespace
