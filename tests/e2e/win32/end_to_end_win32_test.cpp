// The real program with the stand-in library beside it, against qor-sim on
// COM1, driven from another process through its controls as a test tool
// would drive any Windows program.
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <tlhelp32.h>

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

// The zip's double-click starter, unzipped where a user may well unzip it,
// with nothing behind COM1 but the simulator it starts: the window reads
// the demo card, and whichever of the two ends, the other ends with it.
struct Unzipped {
    const wchar_t* folder;
    bool killSimulator;  // else the window is closed
    const char* name;
};

// What the zip holds that runs.
constexpr const wchar_t* kUnzippedFiles[] = {L"qor-demo.exe", L"QORComm.dll", L"qor-sim.exe",
                                             L"Try-with-simulator.cmd"};

class Starter : public testing::TestWithParam<Unzipped> {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring parent = std::wstring(temp) + L"qor-starter-test";
        CreateDirectoryW(parent.c_str(), nullptr);
        unzipped = parent + L"\\" + GetParam().folder;
        CreateDirectoryW(unzipped.c_str(), nullptr);
        for (const wchar_t* file : kUnzippedFiles) {
            ASSERT_TRUE(CopyFileW((demo::OwnFolder() + L"\\" + file).c_str(),
                                  (unzipped + L"\\" + file).c_str(), FALSE))
                << file;
        }
    }
    // The programs' processes may take a moment more to let go of the folder.
    void TearDown() override {
        for (const wchar_t* file : kUnzippedFiles) DeleteFileW((unzipped + L"\\" + file).c_str());
        for (int i = 0; i < 100 && !RemoveDirectoryW(unzipped.c_str()); ++i) Sleep(50);
        RemoveDirectoryW(unzipped.substr(0, unzipped.find_last_of(L'\\')).c_str());
    }
    std::wstring unzipped;  // the folder the files are copied into
};

// The process that started `child`, opened to wait for or to end it.
HANDLE OpenParent(DWORD child) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    DWORD parent = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == child) parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, parent);
}

TEST_P(Starter, ServesComOneWhileTheWindowIsOpenAndEndsWithIt) {
    // As a double click starts it.
    const Program starter(L"\"" + unzipped + L"\\Try-with-simulator.cmd\"", true);
    ASSERT_NE(starter.Window(), nullptr) << "the starter showed no window";

    starter.Click("cmdOpenCom");
    starter.Click("btnReadCard");
    EXPECT_EQ(starter.Text("edCardSn"), L"0000B2C3D4");
    EXPECT_EQ(starter.Log(), (Lines{L"打开串口成功", L"", L"读取卡号：0000B2C3D4"}));

    // The starter hands over to a minimized console of its own and ends at once.
    EXPECT_EQ(starter.WaitForExit(), 0u);
    DWORD demoId = 0;
    GetWindowThreadProcessId(starter.Window(), &demoId);
    const HANDLE demo = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, demoId);
    const HANDLE simulator = OpenParent(demoId);
    ASSERT_NE(demo, nullptr);
    ASSERT_NE(simulator, nullptr);
    if (GetParam().killSimulator) {
        TerminateProcess(simulator, 9);
        EXPECT_EQ(WaitForSingleObject(demo, 2000), WAIT_OBJECT_0)
            << "the window outlived the simulator";
    } else {
        PostMessageW(starter.Window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(simulator, 10000), WAIT_OBJECT_0)
            << "the simulator outlived the window";
        EXPECT_EQ(WaitForSingleObject(demo, 10000), WAIT_OBJECT_0);
    }
    // Nothing left for the next test, whatever failed.
    TerminateProcess(demo, 99);
    TerminateProcess(simulator, 99);
    CloseHandle(demo);
    CloseHandle(simulator);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, Starter,
    testing::Values(Unzipped{L"qor demo (1)", false, "ASecondDownloadClosingTheWindow"},
                    Unzipped{L"读卡器 & 演示", true,
                             "AChineseNameWithAnAmpersandKillingTheSimulator"}),
    [](const testing::TestParamInfo<Unzipped>& info) { return std::string(info.param.name); });

// Runs `command` and gives its exit code, or STILL_ACTIVE if it has not
// ended within 2 minutes.
DWORD RunToEnd(std::wstring command) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The installer as a user runs it: silently, for every user; the program
// then reads the demo card through the starter's Start-menu entry, and a
// silent removal leaves nothing behind. QOR_MSI names the installer.
TEST(Installer, InstallsRunsAndRemovesSilently) {
    wchar_t msi[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QOR_MSI", msi, MAX_PATH) == 0) GTEST_SKIP() << "no QOR_MSI";
    const std::wstring folder = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\qor-demo";
    // For every user; Wine's msiexec puts a per-machine product's entries
    // into the user's own Start menu.
    std::wstring menu = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\QOR Card Reader Demo";
    RunToEnd(L"msiexec /x \"" + std::wstring(msi) + L"\" /qn");  // what an earlier run left

    ASSERT_EQ(RunToEnd(L"msiexec /i \"" + std::wstring(msi) + L"\" /qn"), 0u);
    if (!Exists(menu)) menu = KnownFolder(CSIDL_PROGRAMS) + L"\\QOR Card Reader Demo";
    for (const wchar_t* file : kUnzippedFiles) EXPECT_TRUE(Exists(folder + L"\\" + file)) << file;
    EXPECT_TRUE(Exists(folder + L"\\README.txt"));
    EXPECT_TRUE(Exists(menu + L"\\QOR Card Reader Demo.lnk"));
    {
        const Program starter(menu + L"\\Try with the simulator.lnk", Program::AsShell{});
        ASSERT_NE(starter.Window(), nullptr) << "the installed starter showed no window";
        starter.Click("cmdOpenCom");
        starter.Click("btnReadCard");
        EXPECT_EQ(starter.Text("edCardSn"), L"0000B2C3D4");
        DWORD demoId = 0;
        GetWindowThreadProcessId(starter.Window(), &demoId);
        const HANDLE demo = OpenProcess(SYNCHRONIZE, FALSE, demoId);
        const HANDLE simulator = OpenParent(demoId);
        PostMessageW(starter.Window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(demo, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(simulator, 10000), WAIT_OBJECT_0);
        CloseHandle(demo);
        CloseHandle(simulator);
    }

    EXPECT_EQ(RunToEnd(L"msiexec /x \"" + std::wstring(msi) + L"\" /qn"), 0u);
    EXPECT_FALSE(Exists(folder)) << "left behind: the program's folder";
    EXPECT_FALSE(Exists(menu)) << "left behind: the Start-menu folder";
}

}  // namespace
