// qor-demo.exe as built, beside a QORComm.dll that notes its calls, closed
// from outside the ways Windows closes a program.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "demo_program.h"

namespace {

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

    const demo::Program program;
    EXPECT_NE(program.Window(), nullptr) << "no window";
    if (program.Window() != nullptr) close(program.Window());
    EXPECT_EQ(program.WaitForExit(), 0u) << "still running (259), or failed";
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
