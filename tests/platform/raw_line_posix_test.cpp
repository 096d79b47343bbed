// The reader's line as SetRawLine leaves a terminal that a shell had.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "file_descriptor_posix.h"
#include "raw_line_posix.h"
#include "reader_line_posix.h"

namespace qorplatform {
namespace {

using readerline::kReaderLine;
using readerline::Setting;

TEST(RawLine, SetsEveryFlagTheReaderNeedsOnATerminalAShellLeftCooked) {
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(master.Get() >= 0 && ::grantpt(master.Get()) == 0 && ::unlockpt(master.Get()) == 0);
    FileDescriptor line(::open(::ptsname(master.Get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_GE(line.Get(), 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(line.Get(), &found), 0);
    found = readerline::AsAShellLeavesIt(found);
    ASSERT_EQ(::tcsetattr(line.Get(), TCSANOW, &found), 0);
    ASSERT_EQ(::tcgetattr(line.Get(), &found), 0);
    for (const Setting& setting : kReaderLine) {
        // Linux keeps a pseudo-terminal at 8 bits, no parity, receiving,
        // whatever it is asked; a real port takes the shell's setting.
        if ((setting.mask & (CSIZE | PARENB | CREAD)) != 0) continue;
        // Otherwise the check below would pass whatever SetRawLine did.
        ASSERT_NE(found.*setting.flags & setting.mask, setting.wanted)
            << setting.name << ": the terminal did not take the shell's setting";
    }

    ASSERT_TRUE(SetRawLine(line.Get(), found, B19200));
    termios set{};
    ASSERT_EQ(::tcgetattr(line.Get(), &set), 0);
    EXPECT_EQ(readerline::WrongSettings(set), "");
    EXPECT_EQ(::cfgetispeed(&set), B19200);
    EXPECT_EQ(::cfgetospeed(&set), B19200);
}

}  // namespace
}  // namespace qorplatform
