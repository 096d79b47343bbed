// The library's open of COMn, stepped into between resolving the name and
// opening what it leads to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

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
TEST(LineAlias, LetsGoOfWhatAnAliasLedToOnceItsSimulatorHasEnded) {
    ASSERT_FALSE(fs::exists("/dev/ttyS4095"));
    ptypeer::Peer shell;
    std::optional<ptypeer::Peer> simulator(std::in_place);
    const fs::path root =
        fs::temp_directory_path() / ("qorcomm-line-test-" + std::to_string(::getpid()));
    fs::create_directories(root / "qorcomm");
    fs::permissions(root / "qorcomm", fs::perms::owner_all);
    const fs::path terminal = root / "terminal";
    fs::create_symlink(simulator->Path(), terminal);
    fs::create_symlink(terminal, root / "qorcomm" / "COM4096");
    std::optional<qorplatform::AliasLock> lock(std::in_place, root / "qorcomm" / "COM4096");
    ASSERT_TRUE(lock->Held());
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", root.c_str(), 1);

    std::unique_ptr<qorcomm::Line> line;
    const std::int32_t opened = qorcomm::OpenLine("COM4096", 9600, line, [&](const std::string&) {
        if (!simulator) return;
        lock.reset();
        simulator.reset();
        fs::remove(terminal);
        fs::create_symlink(shell.Path(), terminal);
    });
    // The port is then the system's /dev/ttyS4095, which is not there.
    EXPECT_EQ(opened, QOR_E_NO_DEVICE);
    EXPECT_FALSE(line);

    saved ? ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(root);
}

}  // namespace
