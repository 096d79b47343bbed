// The serve loop on a pipe of the test's own, and the --then program's
// start, for what no client of qor-sim.exe can bring about.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "conversation.h"
#include "responder.h"
#include "serve_win32.h"
#include "then_program_win32.h"

namespace {

// Runs `serve` well below this frame. Should it leave an operation pending,
// that operation writes into its stack once it completes; from down there,
// that lands in stack none of the test's later calls reaches.
// Not inlined, so the pad is below the test's own frame.
template <typename Serve>
[[gnu::noinline]] void FarDownTheStack(Serve&& serve) {
    volatile char pad[64 * 1024];
    pad[0] = 1;
    serve();
    static_cast<void>(pad[0]);
}

// A stop event the serve loop may set but not wait for: its wait fails.
// While it was failing, the read the loop had started stayed pending on a
// buffer and an OVERLAPPED the failure's unwinding let go of.
TEST(ServeWin32, AFailedWaitLeavesNoReadPendingOnTheLine) {
    const std::wstring name =
        L"\\\\.\\pipe\\qor-sim-serve-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const HANDLE client = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE unwaitable = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &unwaitable,
                                EVENT_MODIFY_STATE, FALSE, 0));

    qorsim::Responder responder(qorsim::ReaderConfig{});
    qorsim::Conversation conversation(responder, nullptr);
    FarDownTheStack([&] {
        EXPECT_THROW(qorsim::ServeLine(server, conversation, {unwaitable, nullptr}, nullptr),
                     std::runtime_error);
    });

    // A byte sent now goes to the first read waiting for one: with nothing
    // of the loop's left, that is this one.
    DWORD moved = 0;
    ASSERT_TRUE(WriteFile(client, "x", 1, &moved, nullptr));
    char byte = 0;
    OVERLAPPED read{};
    read.hEvent = event;
    if (!ReadFile(server, &byte, 1, nullptr, &read)) {
        ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    }
    const bool got = WaitForSingleObject(event, 2000) == WAIT_OBJECT_0;
    if (!got) CancelIoEx(server, &read);
    GetOverlappedResult(server, &read, &moved, TRUE);
    EXPECT_TRUE(got && moved == 1 && byte == 'x');

    for (const HANDLE handle : {unwaitable, event, client, server}) CloseHandle(handle);
}

// The process whose thread the failing resume below was handed, to wait for.
HANDLE unresumed = nullptr;

DWORD WINAPI FailToResume(HANDLE thread) {
    unresumed = OpenProcess(SYNCHRONIZE, FALSE, GetProcessIdOfThread(thread));
    SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
}

// A program whose thread stays suspended would never run, and the simulator
// would wait for it for ever: the start fails, and takes the process along.
TEST(ThenProgramWin32, AThreadThatDoesNotResumeIsAFailedStart) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    char program[MAX_PATH * 3] = {};
    ASSERT_GT(WideCharToMultiByte(CP_UTF8, 0, self, -1, program, sizeof program, nullptr, nullptr),
              0);
    try {
        qorsim::ThenProgram then(program, FailToResume);
        ADD_FAILURE() << "started, though its thread never ran";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("did not resume"), std::string::npos)
            << error.what();
    }
    ASSERT_NE(unresumed, nullptr);
    EXPECT_EQ(WaitForSingleObject(unresumed, 5000), WAIT_OBJECT_0) << "left behind, suspended";
    CloseHandle(unresumed);
}

}  // namespace
