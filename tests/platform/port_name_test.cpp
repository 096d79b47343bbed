#include <gtest/gtest.h>

#include "port_name.h"

namespace qorplatform {
namespace {

TEST(PortName, TellsComNamesFromPaths) {
    EXPECT_EQ(ComPortNumber("COM1"), 1u);
    EXPECT_EQ(ComPortNumber("com12"), 12u);
    EXPECT_EQ(ComPortNumber("cOm3"), 3u);
    EXPECT_EQ(ComPortNumber("COM999999999"), 999999999u);
    for (const char* path : {"COM0", "COM", "COMx", "COM1x", "COM-1", "COM+1", "COM01", " COM1",
                             "COM1 ", "COM1234567890", "/dev/ttyS0", "XCOM1", ""}) {
        EXPECT_FALSE(ComPortNumber(path)) << path;
    }
}

}  // namespace
}  // namespace qorplatform
