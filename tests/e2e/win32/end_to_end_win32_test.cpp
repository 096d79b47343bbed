// The real program with the stand-in library beside it, against qor-sim on
// COM1, driven from another process through its controls as a test tool
// would drive any Windows program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_table.h"
#include "qorcomm.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

class Program {
public:
    Program() {
        std::wstring command = L"\"" + ProgramFolder() + L"\\qor-demo.exe\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != 0;
        if (!started_) return;
        WaitForInputIdle(process_.hProcess, 20000);
        for (int i = 0; i < 400 && window_ == nullptr; ++i) {
            EnumWindows(&Program::Match, reinterpret_cast<LPARAM>(this));
            if (window_ == nullptr) Sleep(50);
        }
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Window() const { return window_; }
    HWND Control(std::string_view name) const {
        return GetDlgItem(window_, qor::window::ControlId(name));
    }
    // As a click does: the command has run when this returns.
    void Click(std::string_view button) const { SendMessageW(Control(button), BM_CLICK, 0, 0); }

    std::wstring Text(std::string_view name) const {
        wchar_t text[256] = {};
        SendMessageW(Control(name), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        return text;
    }

    Lines Log() const {
        HWND list = Control("edMsg");
        Lines lines;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
            std::vector<wchar_t> buffer(line.size() + 1);
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            lines.emplace_back(buffer.data());
        }
        return lines;
    }

    // Closes the window as the close box does; the program's exit code.
    DWORD Close() const {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return 259;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    static BOOL CALLBACK Match(HWND window, LPARAM self) {
        auto* program = reinterpret_cast<Program*>(self);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != program->process_.dwProcessId || !IsWindowVisible(window)) return TRUE;
        program->window_ = window;
        return FALSE;
    }

    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// Another program trying the port the window holds, through the same DLL.
std::int32_t OpenFromThisProcess(const char* port) {
    HMODULE dll = LoadLibraryW((ProgramFolder() + L"\\QORComm.dll").c_str());
    if (dll == nullptr) return 1000;
    using Open = std::int32_t(QORCOMM_CALL*)(const char*, std::int32_t);
    using Close = std::int32_t(QORCOMM_CALL*)();
    auto open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(dll, "CROpenCom")));
    auto close = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(dll, "CRCloseCom")));
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
    EXPECT_EQ(program.Log(), (Lines{L"打开串口成功", L"", L"读取卡号：0000B2C3D4", L"关闭串口成功", L""}));
    EXPECT_EQ(OpenFromThisProcess("COM1"), QOR_OPENED);

    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
