#include <gtest/gtest.h>

#include "port_name_win32.h"

namespace qorplatform {
namespace {

TEST(PortNameWin32, ComNamesAreTheSystemsDevices) {
    EXPECT_EQ(ResolvePortName("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(ResolvePortName("com10"), "\\\\.\\COM10");
    for (const char* other : {"COM0", "COM01", "\\\\.\\COM3", "C:\\ports\\reader", "CNCA0"}) {
        EXPECT_EQ(ResolvePortName(other), other);
    }
}

TEST(PortNameWin32, EverySpellingOfAPortHasTheSameLock) {
    const std::wstring com1 = PortLockName(L"\\\\.\\COM1");
    for (const wchar_t* same : {L"\\\\.\\com1", L"//./Com1", L"\\\\?\\COM1", L"COM1"}) {
        EXPECT_EQ(PortLockName(same), com1);
    }
    EXPECT_NE(PortLockName(L"\\\\.\\COM10"), com1);
    EXPECT_NE(PortLockName(L"\\\\.\\COM2"), com1);
    EXPECT_NE(PortLockName(L"C:\\COM1"), com1);
}

}  // namespace
}  // namespace qorplatform
