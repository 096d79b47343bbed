#include "pipe_server_win32.h"

#include "process_user_win32.h"
#include "system_failure.h"
#include "wide_text_win32.h"

#include <stdexcept>
#include <vector>

namespace qorsim {

namespace {

// Requests and answers are a few bytes; this holds many of either.
constexpr DWORD kBufferSize = 4096;

}  // namespace

qorplatform::Handle CreatePipeServer(const std::wstring& name, const std::string& portName) {
    const std::optional<qorplatform::ProcessUser> user =
        qorplatform::ProcessUser::Of(GetCurrentProcess());
    if (!user) throw std::runtime_error("cannot tell which user this process runs as");

    // A DACL of one entry: this user may do anything, everyone else nothing.
    const DWORD aclSize =
        static_cast<DWORD>(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user->Sid()));
    std::vector<std::uint64_t> aclBuffer((aclSize + 7) / 8);
    auto* acl = reinterpret_cast<ACL*>(aclBuffer.data());
    SECURITY_DESCRIPTOR descriptor{};
    if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user->Sid()) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
        throw SystemFailure("cannot make the pipe's access list");
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};

    qorplatform::Handle pipe(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kBufferSize, kBufferSize, 0, &attributes));
    if (!pipe.Valid()) {
        const DWORD error = GetLastError();
        // Windows says "access denied" when the first instance exists, Wine
        // "pipe busy".
        if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY)
            throw std::runtime_error("another simulator is serving " + portName + " (" +
                                     qorplatform::Narrow(name) + " exists)");
        throw SystemFailure("cannot create the pipe " + qorplatform::Narrow(name), error);
    }
    return pipe;
}

}  // namespace qorsim
