#pragma once

// qor-demo.exe from the test's own folder, started as a user starts it and
// driven from outside through its controls, as a test tool drives any
// Windows program. Shared by the program and end-to-end tests.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "control_table.h"

namespace demo {

inline std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

class Program {
public:
    // Starts it and waits up to a minute for its window.
    Program() : Program(L"\"" + OwnFolder() + L"\\qor-demo.exe\"", false) {}
    // Runs `command`, which starts the program; with `windowOfAnyProcess` its
    // window is found by its class, in whichever process `command` starts.
    Program(std::wstring command, bool windowOfAnyProcess) : anyProcess_(windowOfAnyProcess) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return;
        if (!anyProcess_) WaitForInputIdle(process_.hProcess, 20000);
        FindItsWindow();
    }
    // Opens `file` (a shortcut, say) as a double click in Explorer does; the
    // window is found by its class, in whichever process that starts. (Wine
    // gives no process for a shortcut: WaitForExit then has none to wait for.)
    struct AsShell {};
    Program(const std::wstring& file, AsShell) : anyProcess_(true) {
        SHELLEXECUTEINFOW open = {};
        open.cbSize = sizeof open;
        open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
        open.lpFile = file.c_str();
        open.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&open)) return;
        process_.hProcess = open.hProcess;
        FindItsWindow();
    }
    ~Program() {
        if (process_.hProcess == nullptr) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        if (process_.hThread != nullptr) CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Window() const { return window_; }
    HWND Control(qor::window::ControlName name) const {
        return GetDlgItem(window_, qor::window::ControlId(name));
    }
    // As a click does: the command has run when this returns.
    void Click(qor::window::ControlName button) const {
        SendMessageW(Control(button), BM_CLICK, 0, 0);
    }

    std::wstring Text(qor::window::ControlName name) const {
        wchar_t text[256] = {};
        SendMessageW(Control(name), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::vector<std::wstring> Log() const {
        HWND list = Control("edMsg");
        std::vector<std::wstring> lines;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::vector<wchar_t> line(
                static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1);
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.emplace_back(line.data());
        }
        return lines;
    }

    // The exit code of the process started once it has ended, STILL_ACTIVE if
    // it runs on after 20 s.
    DWORD WaitForExit() const {
        if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    // Waits up to a minute for it: the first window in a new Wine prefix,
    // on a machine busy with other tests, has been seen to take over 20 s.
    void FindItsWindow() {
        for (int i = 0; i < 1200 && window_ == nullptr; ++i) {
            EnumWindows(&Program::Match, reinterpret_cast<LPARAM>(this));
            if (window_ == nullptr) Sleep(50);
        }
    }
    static BOOL CALLBACK Match(HWND window, LPARAM self) {
        auto* program = reinterpret_cast<Program*>(self);
        if (!IsWindowVisible(window)) return TRUE;
        if (program->anyProcess_) {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            constexpr std::string_view kClass = qor::window::kWindowName;  // ASCII
            if (std::wstring_view(name) != std::wstring(kClass.begin(), kClass.end())) return TRUE;
        } else {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != program->process_.dwProcessId) return TRUE;
        }
        program->window_ = window;
        return FALSE;
    }

    bool anyProcess_ = false;
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

}  // namespace demo
