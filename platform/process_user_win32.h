// The user a process runs as, and whether an object is that user's: what
// decides whose a simulator's claim and pipe are.
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

    // Whether the owner in `object`'s security descriptor is this user; false
    // whenever that cannot be read. An owner outlives whoever made the
    // object, and is set by its maker: unlike a process ID, it cannot change
    // hands with a handle or be used again by another process.
    bool Owns(HANDLE object) const;

private:
    // A TOKEN_USER and the SID it points into; 8-byte units keep it aligned.
    std::vector<std::uint64_t> token_;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_PROCESS_USER_WIN32_H
