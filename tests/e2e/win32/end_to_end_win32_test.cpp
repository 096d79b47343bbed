// The real program with the stand-in library beside it, against qor-sim on
// COM1, driven from another process through its controls as a test tool
// would drive any Windows program.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
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

int ProcessesNamed(std::wstring_view name) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, std::wstring(name).c_str()) == 0) ++count;
    }
    CloseHandle(snapshot);
    return count;
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

// The zip's double-click starter, with nothing behind COM1 but the
// simulator it starts: the window reads the demo card, and closing it ends
// the simulator too.
TEST(Starter, ServesComOneWhileTheWindowIsOpenAndEndsWithIt) {
    const Program starter(L"cmd /c \"" + demo::OwnFolder() + L"\\Try-with-simulator.cmd\"", true);
    ASSERT_NE(starter.Window(), nullptr) << "the starter showed no window";

    starter.Click("cmdOpenCom");
    starter.Click("btnReadCard");
    EXPECT_EQ(starter.Text("edCardSn"), L"0000B2C3D4");
    EXPECT_EQ(starter.Log(), (Lines{L"打开串口成功", L"", L"读取卡号：0000B2C3D4"}));

    // The starter hands over to a minimized console of its own and ends at once.
    EXPECT_EQ(starter.WaitForExit(), 0u);
    PostMessageW(starter.Window(), WM_CLOSE, 0, 0);
    int left = 1;
    for (int i = 0; i < 200 && left != 0; ++i) {
        Sleep(50);
        left = ProcessesNamed(L"qor-sim.exe") + ProcessesNamed(L"qor-demo.exe");
    }
    EXPECT_EQ(left, 0) << "a simulator or the window outlived the window's close";
}

}  // namespace
