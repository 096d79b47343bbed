#include "open_sim_pipe_win32.h"

#include <optional>
#include <string>
#include <utility>

#include "open_device_win32.h"
#include "process_user_win32.h"
#include "sim_pipe_win32.h"

namespace qorcomm {
namespace {

using qorplatform::Handle;
using qorplatform::ProcessUser;

// A simulator that has just let its last client go takes a moment to listen
// again, and in that moment its one instance answers "busy" as well.
constexpr DWORD kRelistenWaitMs = 250;

// Whether this user's simulator has claimed the port. The pipe's name is one
// for the whole machine, and any user may be first to make it; the claim's
// name is of this session, where another user's sessions make nothing, and
// an owner is one no process can name but its own user.
bool ClaimedBy(const ProcessUser& user, const std::wstring& claimName) {
    const Handle claim(OpenMutexW(READ_CONTROL, FALSE, claimName.c_str()));
    return claim.Valid() && user.Owns(claim.Get());
}

}  // namespace

bool ServerRunsAsCaller(HANDLE pipe) {
    ULONG pid = 0;
    if (!GetNamedPipeServerProcessId(pipe, &pid)) return false;
    const Handle server(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (server.Get() == nullptr) return false;
    const std::optional<ProcessUser> serverUser = ProcessUser::Of(server.Get());
    const std::optional<ProcessUser> callerUser = ProcessUser::Of(GetCurrentProcess());
    return serverUser && callerUser && *serverUser == *callerUser;
}

SimPipe OpenSimPipe(std::string_view portName, PipeServerCheck serverCheck) {
    const std::optional<std::wstring> claimName = qorplatform::SimClaimName(portName);
    const std::optional<std::wstring> pipeName = qorplatform::SimPipeName(portName);
    const std::optional<ProcessUser> caller = ProcessUser::Of(GetCurrentProcess());
    // Without this user's claim, whatever pipe has the name is no concern of
    // ours, busy or not: the port is the system's.
    if (!claimName || !pipeName || !caller || !ClaimedBy(*caller, *claimName)) return {};

    HANDLE handle = qorplatform::OpenDevice(*pipeName, FILE_FLAG_OVERLAPPED);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY &&
        WaitNamedPipeW(pipeName->c_str(), kRelistenWaitMs)) {
        handle = qorplatform::OpenDevice(*pipeName, FILE_FLAG_OVERLAPPED);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        // Busy: its one client is connected. Anything else (no such pipe, or
        // one whose DACL keeps this user out) means no simulator of ours
        // serves the port.
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_PIPE_BUSY || error == ERROR_SEM_TIMEOUT;
        return {busy ? SimPipe::State::Busy : SimPipe::State::NotServed, Handle()};
    }
    Handle opened(handle);
    if (GetFileType(handle) != FILE_TYPE_PIPE || !caller->Owns(handle) || !serverCheck(handle))
        return {};
    return {SimPipe::State::Opened, std::move(opened)};
}

}  // namespace qorcomm
