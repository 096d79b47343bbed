// qor-demo.exe as built, beside a QORComm.dll that notes its calls, closed
// from outside the ways Windows closes a program.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

struct Search {
    DWORD process;
    HWND window;
};

BOOL CALLBACK MatchVisible(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<Search*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != wanted->process || !IsWindowVisible(window)) return TRUE;
    wanted->window = window;
    return FALSE;
}

std::string Contents(const std::wstring& file) {
    std::ifstream in{std::filesystem::path(file)};  // text mode: the library writes CRLF
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Starts the program, waits for its window and closes it with `close`.
template <typename Close>
void ExpectCleanClose(const wchar_t* way, Close close) {
    SCOPED_TRACE(std::string(way, way + wcslen(way)));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring callLog =
        std::wstring(temp) + L"qor-demo-calls-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(callLog.c_str());
    SetEnvironmentVariableW(L"QOR_TEST_CALL_LOG", callLog.c_str());

    std::wstring command = L"\"" + OwnFolder() + L"\\qor-demo.exe\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    Search search = {process.dwProcessId, nullptr};
    for (int i = 0; i < 400 && search.window == nullptr; ++i) {
        EnumWindows(MatchVisible, reinterpret_cast<LPARAM>(&search));
        if (search.window == nullptr) Sleep(50);
    }
    EXPECT_NE(search.window, nullptr) << "no window";
    if (search.window != nullptr) close(search.window);

    const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_TRUE(ended) << "still running";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Contents(callLog), "CRCloseCom\n") << "exactly one close, in the library beside it";
    DeleteFileW(callLog.c_str());
}

TEST(Program, EveryWayOfClosingReleasesThePortOnceAndExitsZero) {
    ExpectCleanClose(L"close box", [](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
    ExpectCleanClose(L"Alt+F4",
                     [](HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
    ExpectCleanClose(L"end of session", [](HWND window) {
        if (SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP) != FALSE)
            SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    });
    ExpectCleanClose(L"quit message", [](HWND window) {
        PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
    });
}

}  // namespace
