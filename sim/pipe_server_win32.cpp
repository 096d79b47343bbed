#include "pipe_server_win32.h"

#include "process_user_win32.h"
#include "sim_pipe_win32.h"
#include "system_failure.h"
#include "wide_text_win32.h"

#include <optional>
#include <stdexcept>

namespace qorsim {

namespace {

// Requests and answers are a few bytes; this holds many of either.
constexpr DWORD kBufferSize = 4096;

qorplatform::Handle Claim(const std::string& portName, const qorplatform::ProcessUser& user,
                          SECURITY_ATTRIBUTES* security) {
    const std::wstring name = *qorplatform::SimClaimName(portName);
    qorplatform::Handle claim(CreateMutexW(security, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    // Refused an object of that name (another user's, or of another kind),
    // or given one that is not this user's.
    const bool foreign =
        (!claim.Valid() && (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE)) ||
        (error == ERROR_ALREADY_EXISTS && !user.Owns(claim.Get()));
    if (foreign)
        throw std::runtime_error("another user or program holds " + portName + " (" +
                                 qorplatform::Narrow(name) + " exists and is not this user's)");
    if (!claim.Valid()) throw SystemFailure("cannot create " + qorplatform::Narrow(name), error);
    if (error == ERROR_ALREADY_EXISTS)
        throw std::runtime_error("another simulator is serving " + portName + " (" +
                                 qorplatform::Narrow(name) + " exists)");
    return claim;
}

}  // namespace

PipeServer CreatePipeServer(const std::wstring& name, const std::string& portName) {
    const std::optional<qorplatform::ProcessUser> user =
        qorplatform::ProcessUser::Of(GetCurrentProcess());
    if (!user) throw std::runtime_error("cannot tell which user this process runs as");
    qorplatform::OwnOnly ownOnly(*user);
    SECURITY_ATTRIBUTES* const security = ownOnly.Attributes();
    if (security == nullptr) throw SystemFailure("cannot make an access list of this user's own");

    // The claim first: while it is held, the library trusts the pipe only
    // when it is owned by this user too.
    PipeServer server;
    server.claim = Claim(portName, *user, security);
    server.pipe = qorplatform::Handle(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kBufferSize, kBufferSize, 0, security));
    if (!server.pipe.Valid()) {
        const DWORD error = GetLastError();
        // Windows says "access denied" when the first instance exists, Wine
        // "pipe busy". With the claim ours, no simulator of this user has it.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY)
            throw std::runtime_error("another user or program holds " + portName + "'s pipe (" +
                                     qorplatform::Narrow(name) + " exists)");
        throw SystemFailure("cannot create the pipe " + qorplatform::Narrow(name), error);
    }
    return server;
}

}  // namespace qorsim
