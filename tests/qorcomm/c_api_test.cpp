// The C interface where no reader is needed: arguments, refused ports, and
// the promise never to write sn or aux on failure.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "guarded_sn.h"
#include "port_name_limit.h"
#include "qorcomm.h"
#include "test_vectors.h"

namespace {

namespace fs = std::filesystem;

class Api : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qorcomm-api-test-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        CRCloseCom();
        fs::remove_all(dir);
    }

    fs::path dir;
};

TEST_F(Api, RefusesPortsThatAreNotTerminals) {
    const fs::path file = dir / "file";
    const std::string content = "not a serial port\n";
    std::ofstream(file) << content;
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const struct {
        std::string port;
        std::int32_t code;
    } kCases[] = {
        {(dir / "missing").string(), QOR_E_NO_DEVICE},
        {"/nonexistent/dir/ttyUSB0", QOR_E_NO_DEVICE},
        {"COM999999999", QOR_E_NO_DEVICE},  // /dev/ttyS999999998
        {std::string(qorcomm::kMaxPortName, 'a'), QOR_E_NO_DEVICE},
        {file.string(), QOR_E_NOT_TERMINAL},
        {dir.string(), QOR_E_NOT_TERMINAL},
        {fifo.string(), QOR_E_NOT_TERMINAL},
        {"/dev/null", QOR_E_NOT_TERMINAL},
        {std::string(qorcomm::kMaxPortName + 1, 'a'), QOR_E_ARGUMENT},
        {std::string(1 << 20, '/'), QOR_E_ARGUMENT},
        {"", QOR_E_ARGUMENT},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(CROpenCom(c.port.c_str(), 9600), c.code) << c.port.substr(0, 64);
        GuardedSn out;
        EXPECT_EQ(CRReadCardSN(&out.aux, out.Sn(), 0, 1), QOR_E_NOT_OPEN);
        EXPECT_TRUE(out.Untouched());
    }
    EXPECT_EQ(CROpenCom(nullptr, 9600), QOR_E_ARGUMENT);

    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
}

TEST_F(Api, ClosingWhatIsNotOpenSucceeds) {
    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(CRCloseCom(), QOR_OK);
}

TEST_F(Api, BadReadArgumentsWriteNothing) {
    const struct {
        bool nullSn;
        std::int32_t cardType;
        std::int32_t codeType;
    } kCases[] = {
        {true, 0, 1},
        {false, -1, 1},
        {false, vectors::kCardTypeCount, 1},
        {false, INT32_MIN, 1},
        {false, INT32_MAX, 1},
        {false, 0, -1},
        {false, 0, vectors::kCodeTypeCount},
        {false, vectors::kCardTypeCount - 1, INT32_MAX},
    };
    for (const auto& c : kCases) {
        GuardedSn out;
        EXPECT_EQ(CRReadCardSN(&out.aux, c.nullSn ? nullptr : out.Sn(), c.cardType, c.codeType),
                  QOR_E_ARGUMENT)
            << c.cardType << " " << c.codeType;
        EXPECT_TRUE(out.Untouched());
    }
    GuardedSn out;
    EXPECT_EQ(CRReadCardSN(nullptr, out.Sn(), 0, 1), QOR_E_NOT_OPEN);
    EXPECT_TRUE(out.Untouched());
}

// A user outside the device's group: told so, not that there is no device.
TEST_F(Api, ATerminalTheUserMayNotOpenIsRefusedAccess) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    // Root may open anything, so as root the open is made as nobody.
    ASSERT_EQ(::chmod(slave.c_str(), ::getuid() == 0 ? 0600 : 0), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(-CROpenCom(slave.c_str(), 9600));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(-WEXITSTATUS(status), QOR_E_ACCESS);
}

}  // namespace
