// The real program with the stand-in library beside it, against qor-sim on
// COM1, driven from another process through its controls as a test tool
// would drive any Windows program.
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

// A console in sight, and what it shows.
struct Console {
    DWORD process;  // a cmd.exe attached to it
    std::wstring text;
};

// Every console window in sight (shown, not minimized) that a cmd.exe is
// attached to, with its text.
std::vector<Console> ConsolesInSight() {
    std::vector<Console> consoles;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return consoles;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"cmd.exe") != 0) continue;
        FreeConsole();
        if (!AttachConsole(entry.th32ProcessID)) continue;
        const HWND window = GetConsoleWindow();
        const HANDLE screen =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        CONSOLE_SCREEN_BUFFER_INFO info = {};
        std::wstring text;
        if (screen != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(screen, &info)) {
            text.resize(static_cast<std::size_t>(info.dwSize.X) * info.dwSize.Y);
            DWORD read = 0;
            ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()),
                                        {0, 0}, &read);
            text.resize(read);
        }
        if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
        if (window != nullptr && IsWindowVisible(window) && !IsIconic(window))
            consoles.push_back({entry.th32ProcessID, text});
        FreeConsole();
    }
    CloseHandle(snapshot);
    return consoles;
}

// The consoles in sight that show `text`, waited for up to 20 s until there
// are `count` of them.
std::vector<Console> ConsolesShowing(const std::wstring& text, std::size_t count) {
    std::vector<Console> showing;
    for (int i = 0; i < 200 && showing.size() < count; ++i) {
        if (i > 0) Sleep(100);
        showing.clear();
        for (const Console& console : ConsolesInSight()) {
            // The text as the console lays it out, in rows of its width.
            std::wstring flat = console.text;
            std::erase(flat, L' ');
            std::wstring wanted = text;
            std::erase(wanted, L' ');
            if (flat.find(wanted) != std::wstring::npos) showing.push_back(console);
        }
    }
    return showing;
}

// Starts the starter as a double click does, and lets go of it.
void DoubleClick(const std::wstring& starter) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + starter + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Ends every process of `name` but this one.
void EndEvery(const wchar_t* name) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) != 0 || entry.th32ProcessID == GetCurrentProcessId())
            continue;
        if (const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 99);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

// The claim a simulator makes for COM1 is held here, so the starter's own
// stops with a message, which must be seen.
class StarterThatFails : public Starter {
protected:
    void SetUp() override {
        Starter::SetUp();
        claim = CreateMutexW(nullptr, FALSE, L"Local\\qor-sim-COM1");
        ASSERT_NE(claim, nullptr);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        wchar_t temp[MAX_PATH] = {};
        GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
        savedTemp = temp;
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TEMP", savedTemp.c_str());
        EndEvery(L"cmd.exe");
        EndEvery(L"qor-sim.exe");
        CloseHandle(claim);
        Starter::TearDown();
    }
    std::wstring StarterPath() const { return unzipped + L"\\Try-with-simulator.cmd"; }

    HANDLE claim = nullptr;
    std::wstring savedTemp;
};

// Part of what the simulator says then: that the claim it makes for COM1
// exists already.
const std::wstring kServedAlready = L"Local\\qor-sim-COM1 exists";

TEST_P(StarterThatFails, ShowsWhyWhenThereIsNoFolderForTemporaryFiles) {
    SetEnvironmentVariableW(L"TEMP", (unzipped + L"\\no such folder").c_str());
    DoubleClick(StarterPath());
    EXPECT_EQ(ConsolesShowing(kServedAlready, 1).size(), 1u)
        << "no console in sight says why the simulator stopped";
}

// Two starters in the same second: each shows its own simulator's message,
// and each leaves nothing behind in the folder for temporary files.
TEST_P(StarterThatFails, TwoInTheSameSecondEachShowWhy) {
    const std::wstring temp = unzipped + L"\\temp";
    std::filesystem::remove_all(temp);
    CreateDirectoryW(temp.c_str(), nullptr);
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    DoubleClick(StarterPath());
    DoubleClick(StarterPath());
    const std::vector<Console> shown = ConsolesShowing(kServedAlready, 2);
    EXPECT_EQ(shown.size(), 2u) << "a starter's message is lost";
    // Each removes its own folder once it has shown the message.
    bool empty = false;
    for (int i = 0; i < 100 && !empty; ++i) {
        empty = RemoveDirectoryW(temp.c_str()) != FALSE;
        if (!empty) Sleep(100);
    }
    EXPECT_TRUE(empty) << "left behind in %TEMP%";
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, StarterThatFails,
    testing::Values(Unzipped{L"qor demo (1)", false, "ASecondDownload"},
                    Unzipped{L"读卡器 & 演示", true, "AChineseNameWithAnAmpersand"}),
    [](const testing::TestParamInfo<Unzipped>& info) { return std::string(info.param.name); });

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

// The installed product's Start-menu folder. For every user; Wine's msiexec
// puts a per-machine product's entries into the user's own Start menu.
std::wstring InstalledMenu() {
    const std::wstring common = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\QOR Card Reader Demo";
    return Exists(common) ? common : KnownFolder(CSIDL_PROGRAMS) + L"\\QOR Card Reader Demo";
}

// The installed starter's Start-menu entry brings up the window, which reads
// the demo card; closed, it takes the simulator along.
void ReadsTheDemoCardFromTheStartMenu() {
    const Program starter(InstalledMenu() + L"\\Try with the simulator.lnk", Program::AsShell{});
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

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? value : L"";
}

const std::wstring kProgramFolder = L"\\qor-demo";

// The product's entries in Programs and Features: its product code (the
// entry's key) and its version.
std::vector<std::pair<std::wstring, std::wstring>> ListedEntries() {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    HKEY uninstall = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0, KEY_READ,
                      &uninstall) != ERROR_SUCCESS)
        return entries;
    wchar_t key[256] = {};
    for (DWORD i = 0; RegEnumKeyW(uninstall, i, key, 256) == ERROR_SUCCESS; ++i) {
        wchar_t name[256] = {};
        wchar_t version[64] = {};
        DWORD nameSize = sizeof name;
        DWORD versionSize = sizeof version;
        if (RegGetValueW(uninstall, key, L"DisplayName", RRF_RT_REG_SZ, nullptr, name, &nameSize) !=
                ERROR_SUCCESS ||
            std::wstring_view(name) != L"QOR Card Reader Demo")
            continue;
        RegGetValueW(uninstall, key, L"DisplayVersion", RRF_RT_REG_SZ, nullptr, version,
                     &versionSize);
        entries.emplace_back(key, version);
    }
    RegCloseKey(uninstall);
    return entries;
}

std::vector<std::wstring> ListedVersions() {
    std::vector<std::wstring> versions;
    for (const auto& [product, version] : ListedEntries()) versions.push_back(version);
    return versions;
}

// Whatever builds an earlier run left installed, by their product codes.
void RemoveEveryInstalledBuild() {
    for (const auto& [product, version] : ListedEntries())
        RunToEnd(L"msiexec /x " + product + L" /qn");
}

// The installer as a user runs it: silently, for every user; the program
// then reads the demo card through the starter's Start-menu entry, and a
// silent removal leaves nothing behind. QOR_MSI names the installer.
TEST(Installer, InstallsRunsAndRemovesSilently) {
    const std::wstring msi = Environment(L"QOR_MSI");
    if (msi.empty()) GTEST_SKIP() << "no QOR_MSI";
    const std::wstring folder = KnownFolder(CSIDL_PROGRAM_FILES) + kProgramFolder;
    RemoveEveryInstalledBuild();

    ASSERT_EQ(RunToEnd(L"msiexec /i \"" + msi + L"\" /qn"), 0u);
    const std::wstring menu = InstalledMenu();
    for (const wchar_t* file : kUnzippedFiles) EXPECT_TRUE(Exists(folder + L"\\" + file)) << file;
    EXPECT_TRUE(Exists(folder + L"\\README.txt"));
    EXPECT_TRUE(Exists(menu + L"\\QOR Card Reader Demo.lnk"));
    ReadsTheDemoCardFromTheStartMenu();

    EXPECT_EQ(RunToEnd(L"msiexec /x \"" + msi + L"\" /qn"), 0u);
    EXPECT_FALSE(Exists(folder)) << "left behind: the program's folder";
    EXPECT_FALSE(Exists(menu)) << "left behind: the Start-menu folder";
}

std::string FirstLine(const std::wstring& path) {
    std::string line;
    std::ifstream in{std::filesystem::path(path)};
    std::getline(in, line);
    return line;
}

// Over an older version, the installer leaves one entry, of its own
// version, and one set of files, its own; over another build of its own
// version it does the same (a repair); an older version after it fails,
// saying so, and leaves it in place. The read-mes of the older version and
// of the other build say which they are.
TEST(Installer, ReplacesAnOlderVersionAndAnotherBuildOfItsOwn) {
    const std::wstring msi = Environment(L"QOR_MSI");
    const std::wstring older = Environment(L"QOR_MSI_OLDER");
    const std::wstring rebuilt = Environment(L"QOR_MSI_REBUILT");
    if (msi.empty() || older.empty() || rebuilt.empty())
        GTEST_SKIP() << "no QOR_MSI, QOR_MSI_OLDER or QOR_MSI_REBUILT";
    const std::wstring folder = KnownFolder(CSIDL_PROGRAM_FILES) + kProgramFolder;
    RemoveEveryInstalledBuild();
    ASSERT_EQ(ListedVersions(), std::vector<std::wstring>{});

    ASSERT_EQ(RunToEnd(L"msiexec /i \"" + older + L"\" /qn"), 0u);
    ASSERT_EQ(ListedVersions(), std::vector<std::wstring>{L"0.9.0"});
    ASSERT_EQ(FirstLine(folder + L"\\README.txt"), "QOR Card Reader Demo, older");

    EXPECT_EQ(RunToEnd(L"msiexec /i \"" + msi + L"\" /qn"), 0u);
    const std::vector<std::wstring> upgraded = ListedVersions();
    ASSERT_EQ(upgraded.size(), 1u) << "entries in Programs and Features";
    EXPECT_NE(upgraded.front(), L"0.9.0");
    EXPECT_NE(FirstLine(folder + L"\\README.txt"), "QOR Card Reader Demo, older")
        << "the older version's file is left";
    for (const wchar_t* file : kUnzippedFiles) EXPECT_TRUE(Exists(folder + L"\\" + file)) << file;
    EXPECT_TRUE(Exists(InstalledMenu() + L"\\QOR Card Reader Demo.lnk"));
    ReadsTheDemoCardFromTheStartMenu();

    // Another build of the same version: a product of its own, which
    // replaces the one installed.
    EXPECT_EQ(RunToEnd(L"msiexec /i \"" + rebuilt + L"\" /qn"), 0u);
    EXPECT_EQ(ListedVersions(), upgraded);
    EXPECT_EQ(FirstLine(folder + L"\\README.txt"), "QOR Card Reader Demo, rebuilt")
        << "the files of the build installed before are left";
    for (const wchar_t* file : kUnzippedFiles) EXPECT_TRUE(Exists(folder + L"\\" + file)) << file;
    ReadsTheDemoCardFromTheStartMenu();
    // The very package installed, again: nothing changes.
    EXPECT_EQ(RunToEnd(L"msiexec /i \"" + rebuilt + L"\" /qn"), 0u);
    EXPECT_EQ(ListedVersions(), upgraded);

    // A downgrade is refused (1603, with the message in a log or on
    // screen), and the newer version stays.
    EXPECT_EQ(RunToEnd(L"msiexec /i \"" + older + L"\" /qn"), 1603u);
    EXPECT_EQ(ListedVersions(), upgraded);
    EXPECT_TRUE(Exists(folder + L"\\qor-demo.exe"));

    // Its own removal takes everything.
    EXPECT_EQ(RunToEnd(L"msiexec /x \"" + rebuilt + L"\" /qn"), 0u);
    EXPECT_EQ(ListedVersions(), std::vector<std::wstring>{});
    EXPECT_FALSE(Exists(folder)) << "left behind: the program's folder";
    EXPECT_FALSE(Exists(InstalledMenu())) << "left behind: the Start-menu folder";
}

}  // namespace
