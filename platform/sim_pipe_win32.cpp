#include "sim_pipe_win32.h"

#include <utility>

#include "port_name.h"
#include "process_user_win32.h"

namespace qorplatform {
namespace {

constexpr std::wstring_view kSimPipePrefix = L"\\\\.\\pipe\\qor-sim-";

// A simulator that has just let its last client go takes a moment to listen
// again, and in that moment its one instance answers "busy" as well.
constexpr DWORD kRelistenWaitMs = 250;

HANDLE OpenClientEnd(const std::wstring& name) {
    // SECURITY_IDENTIFICATION: the server may learn who connected, but never
    // act as this user.
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                       nullptr);
}

}  // namespace

std::optional<std::wstring> SimPipeName(std::string_view portName) {
    const std::optional<unsigned> n = ComPortNumber(portName);
    if (!n) return std::nullopt;
    return std::wstring(kSimPipePrefix) + L"COM" + std::to_wstring(*n);
}

bool ServerRunsAsCaller(HANDLE pipe) {
    ULONG pid = 0;
    if (!GetNamedPipeServerProcessId(pipe, &pid)) return false;
    const Handle server(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (server.Get() == nullptr) return false;
    const std::optional<ProcessUser> serverUser = ProcessUser::Of(server.Get());
    const std::optional<ProcessUser> callerUser = ProcessUser::Of(GetCurrentProcess());
    return serverUser && callerUser && *serverUser == *callerUser;
}

SimPipe OpenSimPipe(const std::wstring& name, PipeOwnerCheck ownerCheck) {
    HANDLE handle = OpenClientEnd(name);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY &&
        WaitNamedPipeW(name.c_str(), kRelistenWaitMs)) {
        handle = OpenClientEnd(name);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        // Busy: its one client is connected, whoever's simulator it is.
        // Anything else (no such pipe, or one whose DACL keeps this user
        // out) means no simulator of ours serves the port.
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_PIPE_BUSY || error == ERROR_SEM_TIMEOUT;
        return {busy ? SimPipe::State::Busy : SimPipe::State::NotServed, Handle()};
    }
    Handle opened(handle);
    if (GetFileType(handle) != FILE_TYPE_PIPE || !ownerCheck(handle)) return {};
    return {SimPipe::State::Opened, std::move(opened)};
}

}  // namespace qorplatform
