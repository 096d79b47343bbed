#include <gtest/gtest.h>

#include "exclusive_port_win32.h"
#include "port_name_win32.h"
#include "process_user_win32.h"

namespace qorplatform {
namespace {

TEST(PortNameWin32, ComNamesAreTheSystemsDevices) {
    EXPECT_EQ(ResolvePortName("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(ResolvePortName("com10"), "\\\\.\\COM10");
    for (const char* other : {"COM0", "COM01", "C:\\ports\\reader", "CNCA0", "COM10:", "COM1x",
                              "\\\\.\\COM0", "\\\\.\\pipe\\COM1", "\\\\.\\COM1\\x"}) {
        EXPECT_EQ(ResolvePortName(other), other);
        EXPECT_FALSE(SystemComPortNumber(other)) << other;
    }
}

// Every name the system's path rules lead to a COM port is that port for
// the COMn rule too, so a simulator serving it is not passed by.
TEST(PortNameWin32, EveryNameTheSystemReadsAsAComPortIsThatPort) {
    for (const char* com1 :
         {"COM1:", "com1.", "COM1 ", "COM1. .", "\\\\.\\COM1", "//./com1", "\\\\?\\COM1",
          "\\\\.\\COM1.", "\\\\.\\Global\\COM1", "\\\\?\\GLOBALROOT\\??\\COM1"}) {
        EXPECT_EQ(SystemComPortNumber(com1), 1u) << com1;
        EXPECT_EQ(ResolvePortName(com1), "\\\\.\\COM1") << com1;
    }
    EXPECT_EQ(SystemComPortNumber("\\\\.\\com12"), 12u);
    EXPECT_EQ(ResolvePortName("//./COM12"), "\\\\.\\COM12");
}

TEST(PortNameWin32, EverySpellingOfAPortHasTheSameLockOfThisUsersOwn) {
    const std::optional<ProcessUser> user = ProcessUser::Of(GetCurrentProcess());
    ASSERT_TRUE(user);
    const std::wstring com1 = PortLockName(L"\\\\.\\COM1", *user);
    EXPECT_TRUE(com1.starts_with(L"Local\\")) << "in the session's own namespace";
    EXPECT_NE(com1.find(L"S-1-"), std::wstring::npos) << "with the user's SID in it";
    for (const wchar_t* same : {L"\\\\.\\com1", L"//./Com1", L"\\\\?\\COM1", L"COM1"}) {
        EXPECT_EQ(PortLockName(same, *user), com1);
    }
    EXPECT_NE(PortLockName(L"\\\\.\\COM10", *user), com1);
    EXPECT_NE(PortLockName(L"\\\\.\\COM2", *user), com1);
    EXPECT_NE(PortLockName(L"C:\\COM1", *user), com1);
}

}  // namespace
}  // namespace qorplatform
