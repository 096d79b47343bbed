#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "port_alias_posix.h"
#include "port_name_posix.h"

namespace qorplatform {
namespace {

namespace fs = std::filesystem;

// This test stands in for the simulators: an alias counts while its lock is
// held.
class PortNameAlias : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("qorcomm-port-name-test-" + std::to_string(::getpid()));
        fs::create_directories(AliasFolder());
        fs::permissions(AliasFolder(), fs::perms::owner_all);
        // COM3 served; COM4 left behind by a simulator that was killed: the
        // link and its lock file, which nobody holds.
        fs::create_symlink("/dev/pts/served", AliasFolder() / "COM3");
        com3.emplace(AliasFolder() / "COM3");
        ASSERT_TRUE(com3->Held());
        fs::create_symlink("/dev/pts/gone", AliasFolder() / "COM4");
        std::ofstream(AliasFolder() / "COM4.lock");
    }
    void TearDown() override {
        com3.reset();
        fs::remove_all(root);
    }

    fs::path AliasFolder() const { return root / "qorcomm"; }
    std::string Resolve(std::string_view name, uid_t uid = ::getuid()) const {
        return ResolvePortName(name, root.c_str(), uid).path;
    }

    fs::path root;
    std::optional<AliasLock> com3;
};

TEST_F(PortNameAlias, ResolvesComNamesToLiveAliasesOrSerialDevices) {
    const std::string alias = AliasFolder().string() + "/";
    EXPECT_EQ(Resolve("COM3"), alias + "COM3");
    EXPECT_EQ(Resolve("com3"), alias + "COM3");
    EXPECT_EQ(Resolve("COM4"), "/dev/ttyS3");
    EXPECT_EQ(Resolve("COM1"), "/dev/ttyS0");
    EXPECT_EQ(Resolve("COM10"), "/dev/ttyS9");
    EXPECT_EQ(Resolve("COM0"), "COM0");
    EXPECT_EQ(Resolve("/dev/pts/7"), "/dev/pts/7");

    // The simulator has gone, though its link is still there.
    com3.reset();
    EXPECT_EQ(Resolve("COM3"), "/dev/ttyS2");
}

// Each folder holds the live COM3 above, and is one another local user could
// have made or written to.
TEST_F(PortNameAlias, IgnoresAFolderSomeoneElseCouldHavePlanted) {
    EXPECT_EQ(Resolve("COM3", ::getuid() + 1), "/dev/ttyS2") << "owned by another user";

    for (const fs::perms open : {fs::perms::group_write, fs::perms::others_write}) {
        fs::permissions(AliasFolder(), fs::perms::owner_all | open);
        EXPECT_EQ(Resolve("COM3"), "/dev/ttyS2") << "writable by " << static_cast<int>(open);
    }
    fs::permissions(AliasFolder(), fs::perms::owner_all);
    EXPECT_EQ(Resolve("COM3"), AliasFolder() / "COM3");

    const fs::path linked = root / "linked";
    fs::create_directories(linked);
    fs::create_directory_symlink(AliasFolder(), linked / "qorcomm");
    EXPECT_EQ(ResolvePortName("COM3", linked.c_str(), ::getuid()).path, "/dev/ttyS2") << "a link";
}

// Without XDG_RUNTIME_DIR the folder is /tmp/qorcomm-<uid>, the user's own,
// which may hold a real simulator's aliases: this test's port comes from its
// pid, and it leaves the folder as it found it.
TEST_F(PortNameAlias, FallsBackToTmpWithoutXdgRuntimeDir) {
    const fs::path folder = "/tmp/qorcomm-" + std::to_string(::getuid());
    const bool made = fs::create_directory(folder);
    if (made) fs::permissions(folder, fs::perms::owner_all);
    const std::string port = "COM" + std::to_string(100000 + ::getpid());
    fs::create_symlink("/dev/pts/served", folder / port);
    {
        AliasLock lock(folder / port);
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(ResolvePortName(port, nullptr, ::getuid()).path, folder / port);
        EXPECT_EQ(ResolvePortName(port, "", ::getuid()).path, folder / port);
        // Set, it is the only place looked at.
        EXPECT_EQ(ResolvePortName(port, root.c_str(), ::getuid()).path,
                  "/dev/ttyS" + std::to_string(99999 + ::getpid()));
    }
    fs::remove(folder / port);
    if (made) fs::remove(folder);
}

}  // namespace
}  // namespace qorplatform
