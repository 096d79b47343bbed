#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "port_name_posix.h"

namespace qorcomm {
namespace {

namespace fs = std::filesystem;

class PortNameAlias : public testing::Test {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() / ("qorcomm-port-name-test-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "qorcomm");
        std::ofstream(root_ / "qorcomm" / "COM3").put('x');
        // A dangling alias still counts: it was meant for a simulator.
        fs::create_symlink(root_ / "gone", root_ / "qorcomm" / "COM4");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
};

TEST_F(PortNameAlias, ResolvesComNamesToAliasesOrSerialDevices) {
    const std::string xdg = root_.string();
    const std::string alias = xdg + "/qorcomm/";
    EXPECT_EQ(ResolvePortName("COM3", xdg.c_str(), 0), alias + "COM3");
    EXPECT_EQ(ResolvePortName("com3", xdg.c_str(), 0), alias + "COM3");
    EXPECT_EQ(ResolvePortName("COM4", xdg.c_str(), 0), alias + "COM4");
    EXPECT_EQ(ResolvePortName("COM1", xdg.c_str(), 0), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortName("COM10", xdg.c_str(), 0), "/dev/ttyS9");
    EXPECT_EQ(ResolvePortName("COM0", xdg.c_str(), 0), "COM0");
    EXPECT_EQ(ResolvePortName("/dev/pts/7", xdg.c_str(), 0), "/dev/pts/7");
}

TEST_F(PortNameAlias, FallsBackToTmpWithoutXdgRuntimeDir) {
    // An unused uid, so the folder is this test's alone.
    constexpr uid_t kUid = 3999999;
    const fs::path folder = "/tmp/qorcomm-" + std::to_string(kUid);
    fs::create_directories(folder);
    std::ofstream(folder / "COM2").put('x');
    EXPECT_EQ(ResolvePortName("COM2", nullptr, kUid), folder / "COM2");
    EXPECT_EQ(ResolvePortName("COM2", "", kUid), folder / "COM2");
    EXPECT_EQ(ResolvePortName("COM3", nullptr, kUid), "/dev/ttyS2");
    // Set, it is the only place looked at.
    EXPECT_EQ(ResolvePortName("COM2", root_.c_str(), kUid), "/dev/ttyS1");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace qorcomm
