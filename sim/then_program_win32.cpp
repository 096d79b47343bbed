#include "then_program_win32.h"

#include "wide_text_win32.h"

#include <stdexcept>

namespace qorsim {

qorplatform::Handle StartProgram(const std::string& program) {
    const std::wstring wide = qorplatform::Widen(program);
    // Quoted whole: a path with spaces is one program, not a program and
    // its arguments. A quote cannot be part of a Windows file name.
    if (wide.empty() || wide.find(L'"') != std::wstring::npos)
        throw std::runtime_error("--then: '" + program + "' is not a program's name");
    std::wstring commandLine = L"\"" + wide + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        throw std::runtime_error("cannot start " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    CloseHandle(process.hThread);
    return qorplatform::Handle(process.hProcess);
}

}  // namespace qorsim
