// The real program with the stand-in library beside it, against qor-sim on
// COM1, driven from another process through its controls as a test tool
// would drive any Windows program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_program.h"
#include "qorcomm.h"

namespace {

using demo::Program;
using Lines = std::vector<std::wstring>;

// Another program trying the port the window holds, through the same DLL.
std::int32_t OpenFromThisProcess(const char* port) {
    HMODULE dll = LoadLibraryW((demo::OwnFolder() + L"\\QORComm.dll").c_str());
    if (dll == nullptr) return 1000;
    using Open = std::int32_t(QORCOMM_CALL*)(const char*, std::int32_t);
    using Close = std::int32_t(QORCOMM_CALL*)();
    auto open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(dll, "CROpenCom")));
    auto close =
        reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(dll, "CRCloseCom")));
    const std::int32_t result = open(port, 9600);
    close();
    FreeLibrary(dll);
    return result;
}

TEST(EndToEnd, OpensReadsTheDemoCardAndClosesThroughComOne) {
    const Program program;
    ASSERT_NE(program.Window(), nullptr) << "qor-demo.exe showed no window";

    program.Click("cmdOpenCom");
    ASSERT_EQ(program.Log(), (Lines{L"打开串口成功", L""}));
    EXPECT_FALSE(IsWindowEnabled(program.Control("cmdOpenCom")));
    EXPECT_TRUE(IsWindowEnabled(program.Control("cmdCloseCom")));
    EXPECT_EQ(OpenFromThisProcess("COM1"), QOR_E_BUSY);

    program.Click("btnReadCard");
    EXPECT_EQ(program.Text("edCardSn"), L"0000B2C3D4");
    program.Click("cmdCloseCom");
    EXPECT_EQ(program.Log(),
              (Lines{L"打开串口成功", L"", L"读取卡号：0000B2C3D4", L"关闭串口成功", L""}));
    EXPECT_EQ(OpenFromThisProcess("COM1"), QOR_OPENED);

    PostMessageW(program.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

}  // namespace
