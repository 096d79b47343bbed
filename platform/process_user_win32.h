// The user a process runs as, which decides whose a simulator's pipe is.
#ifndef QORPLATFORM_PROCESS_USER_WIN32_H
#define QORPLATFORM_PROCESS_USER_WIN32_H

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace qorplatform {

class ProcessUser {
public:
    // Nothing when the process or its token cannot be read.
    static std::optional<ProcessUser> Of(HANDLE process);

    PSID Sid() const;
    bool operator==(const ProcessUser& other) const;

private:
    // A TOKEN_USER and the SID it points into; 8-byte units keep it aligned.
    std::vector<std::uint64_t> token_;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_PROCESS_USER_WIN32_H
