#include "process_user_win32.h"

#include <aclapi.h>

#include "handle_win32.h"

namespace qorplatform {

std::optional<ProcessUser> ProcessUser::Of(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    const Handle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return std::nullopt;
    ProcessUser user;
    user.token_.resize((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    if (!GetTokenInformation(token, TokenUser, user.token_.data(), size, &size) ||
        !IsValidSid(user.Sid())) {
        return std::nullopt;
    }
    return user;
}

PSID ProcessUser::Sid() const {
    return reinterpret_cast<const TOKEN_USER*>(token_.data())->User.Sid;
}

bool ProcessUser::operator==(const ProcessUser& other) const {
    return EqualSid(Sid(), other.Sid()) != FALSE;
}

bool ProcessUser::Owns(HANDLE object) const {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool owns = owner != nullptr && IsValidSid(owner) && EqualSid(owner, Sid()) != FALSE;
    LocalFree(descriptor);
    return owns;
}

OwnOnly::OwnOnly(const ProcessUser& user) {
    const DWORD aclSize =
        static_cast<DWORD>(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user.Sid()));
    acl_.resize((aclSize + 7) / 8);
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    made_ = InitializeAcl(acl, aclSize, ACL_REVISION) &&
            AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user.Sid()) &&
            InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorOwner(&descriptor_, user.Sid(), FALSE) &&
            SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
}

}  // namespace qorplatform
