#include "pipe_server_win32.h"

#include "process_user_win32.h"
#include "sim_pipe_win32.h"
#include "system_failure.h"
#include "wide_text_win32.h"

#include <optional>
#include <stdexcept>
#include <vector>

namespace qorsim {

namespace {

// Requests and answers are a few bytes; this holds many of either.
constexpr DWORD kBufferSize = 4096;

// A security descriptor that names `user` as the owner, so the library can
// tell whose an object is, and whose DACL has one entry: `user` may do
// anything, everyone else nothing.
class OwnOnly {
public:
    explicit OwnOnly(const qorplatform::ProcessUser& user) {
        const DWORD aclSize =
            static_cast<DWORD>(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user.Sid()));
        acl_.resize((aclSize + 7) / 8);
        auto* acl = reinterpret_cast<ACL*>(acl_.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user.Sid()) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorOwner(&descriptor_, user.Sid(), FALSE) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) {
            throw SystemFailure("cannot make an access list of this user's own");
        }
    }
    OwnOnly(const OwnOnly&) = delete;
    OwnOnly& operator=(const OwnOnly&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

private:
    std::vector<std::uint64_t> acl_;  // 8-byte units keep it aligned
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{sizeof attributes_, &descriptor_, FALSE};
};

qorplatform::Handle Claim(const std::string& portName, const qorplatform::ProcessUser& user,
                          OwnOnly& security) {
    const std::wstring name = *qorplatform::SimClaimName(portName);
    qorplatform::Handle claim(CreateMutexW(security.Attributes(), FALSE, name.c_str()));
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
    OwnOnly security(*user);

    // The claim first: while it is held, the library trusts the pipe only
    // when it is owned by this user too.
    PipeServer server;
    server.claim = Claim(portName, *user, security);
    server.pipe = qorplatform::Handle(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kBufferSize, kBufferSize, 0, security.Attributes()));
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
