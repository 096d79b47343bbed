// The library's open of COMn, stepped into between resolving the name and
// opening what it leads to.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
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

// A runtime folder whose simulator serves COM4096, which the test ends once
// the name has led to its alias; the terminal that then takes its
// terminal's name (a shell's, say) is the test's too. So that the taking is
// certain, the alias leads to the terminal through a link of the test's,
// which it moves.
class ServedComPort {
public:
    explicit ServedComPort(const fs::path& root)
        : root_(root), terminal_(root / "terminal"), alias_(root / "qorcomm" / "COM4096") {
        fs::create_directories(alias_.parent_path());
        fs::permissions(alias_.parent_path(), fs::perms::owner_all);
        fs::create_symlink(simulator_->Path(), terminal_);
        fs::create_symlink(terminal_, alias_);
        lock_.emplace(alias_);
    }
    ~ServedComPort() { fs::remove_all(root_); }
    ServedComPort(const ServedComPort&) = delete;
    ServedComPort& operator=(const ServedComPort&) = delete;

    bool Served() const { return lock_->Held(); }
    bool Ended() const { return !simulator_; }
    const fs::path& Root() const { return root_; }
    const std::string& Terminal() const { return simulator_->Path(); }
    const fs::path& Alias() const { return alias_; }
    // The simulator ends: its lock goes and its terminal with it.
    void End() {
        lock_.reset();
        simulator_.reset();
        fs::remove(terminal_);
    }
    // The simulator ends, and the shell's terminal takes its terminal's name.
    void EndAndLeaveTheNameTo(const ptypeer::Peer& shell) {
        End();
        fs::create_symlink(shell.Path(), terminal_);
    }

private:
    fs::path root_, terminal_, alias_;
    std::optional<ptypeer::Peer> simulator_{std::in_place};
    std::optional<qorplatform::AliasLock> lock_;
};

// The library holds the terminal it opened with an advisory lock.
bool LockedByTheLibrary(const std::string& terminal) {
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (fd >= 0) ::close(fd);
    return locked;
}

class LineAlias : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(fs::exists("/dev/ttyS4095"));
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        if (saved) saved_ = saved;
    }
    void TearDown() override {
        saved_ ? ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    }
    static fs::path Folder(const std::string& name) {
        return fs::temp_directory_path() /
               ("qorcomm-line-test-" + std::to_string(::getpid()) + "-" + name);
    }
    static void UseRuntimeFolder(const ServedComPort& port) {
        ::setenv("XDG_RUNTIME_DIR", port.Root().c_str(), 1);
    }

    ptypeer::Peer shell;

private:
    std::optional<std::string> saved_;
};

TEST_F(LineAlias, LetsGoOfWhatAnAliasLedToOnceItsSimulatorHasEnded) {
    ServedComPort port(Folder("ended"));
    ASSERT_TRUE(port.Served());
    UseRuntimeFolder(port);

    std::unique_ptr<qorcomm::Line> line;
    const std::int32_t opened = qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string&) {
        if (!port.Ended()) port.EndAndLeaveTheNameTo(shell);
    });
    // The port is then the system's /dev/ttyS4095, which is not there.
    EXPECT_EQ(opened, QOR_E_NO_DEVICE);
    EXPECT_FALSE(line);
}

// The simulator ends and nothing takes its terminal's name: the open fails
// on the alias, and its error is about a terminal the name no longer leads
// to, so the name is resolved again.
TEST_F(LineAlias, ResolvesAgainWhenTheOpenOfAnEndedAliasFails) {
    ServedComPort port(Folder("gone"));
    ASSERT_TRUE(port.Served());
    UseRuntimeFolder(port);

    std::vector<std::string> opening;
    std::unique_ptr<qorcomm::Line> line;
    const std::int32_t opened =
        qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string& path) {
            opening.push_back(path);
            if (!port.Ended()) port.End();
        });
    EXPECT_EQ(opening, (std::vector<std::string>{port.Alias().string(), "/dev/ttyS4095"}));
    EXPECT_EQ(opened, QOR_E_NO_DEVICE);
    EXPECT_FALSE(line);
}

// A simulator serving COM4096 again by the time the name is resolved anew:
// the open ends on its terminal, not on the shell's nor on the system's port.
// The second resolving starts over from the name, so a new runtime folder
// stands for the new simulator's alias.
TEST_F(LineAlias, ResolvesTheNameAgainAndOpensTheNewSimulatorsTerminal) {
    ServedComPort old(Folder("old"));
    ServedComPort renewed(Folder("new"));
    ASSERT_TRUE(old.Served() && renewed.Served());
    UseRuntimeFolder(old);

    std::unique_ptr<qorcomm::Line> line;
    int opens = 0;
    const std::int32_t opened = qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string&) {
        if (++opens > 1) return;
        old.EndAndLeaveTheNameTo(shell);
        UseRuntimeFolder(renewed);
    });
    EXPECT_EQ(opened, QOR_OPENED);
    EXPECT_EQ(opens, 2);
    EXPECT_TRUE(line);
    EXPECT_TRUE(LockedByTheLibrary(renewed.Terminal()));
    EXPECT_FALSE(LockedByTheLibrary(shell.Path()));
}

}  // namespace
