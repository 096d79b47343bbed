#include "then_program_win32.h"

#include "system_failure.h"
#include "wide_text_win32.h"

#include <stdexcept>

namespace qorsim {

ThenProgram::ThenProgram(const std::string& program, ResumeFunction resume) {
    const std::wstring wide = qorplatform::Widen(program);
    // Quoted whole: a path with spaces is one program, not a program and
    // its arguments. A quote cannot be part of a Windows file name.
    if (wide.empty() || wide.find(L'"') != std::wstring::npos)
        throw std::runtime_error("--then: '" + program + "' is not a program's name");

    job_ = qorplatform::Handle(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job_.Valid() || !SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation,
                                                  &limits, sizeof limits))
        throw SystemFailure("cannot make a job for " + program);

    // Started suspended, so it runs only once it is in the job. Windows 7
    // puts a process in one job only: where the simulator runs in a job of
    // its own starter's, the program leaves that one to join this one.
    for (const DWORD breakaway : {DWORD{0}, DWORD{CREATE_BREAKAWAY_FROM_JOB}}) {
        std::wstring commandLine = L"\"" + wide + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_SUSPENDED | breakaway, nullptr, nullptr, &startup, &process)) {
            if (breakaway == 0 || GetLastError() != ERROR_ACCESS_DENIED)
                throw SystemFailure("cannot start " + program);
            break;
        }
        qorplatform::Handle thread(process.hThread);
        process_ = qorplatform::Handle(process.hProcess);
        if (!AssignProcessToJobObject(job_.Get(), process_.Get())) {
            TerminateProcess(process_.Get(), 1);
            continue;
        }
        // A thread left suspended is a program that never runs while the
        // simulator waits for it to end.
        if (resume(thread.Get()) == static_cast<DWORD>(-1)) {
            const DWORD error = GetLastError();
            TerminateProcess(process_.Get(), 1);
            throw SystemFailure("cannot start " + program + ": its thread did not resume", error);
        }
        return;
    }
    throw SystemFailure("cannot start " + program + " in a job of its own");
}

}  // namespace qorsim
