#include "process_user_win32.h"

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

}  // namespace qorplatform
