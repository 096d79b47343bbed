// The user a process runs as, and whether an object is that user's: what
// decides whose a simulator's claim and pipe are, and whose a port's lock.
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

// A security descriptor that names `user` as the owner, so others can tell
// whose an object is, and whose DACL has one entry: `user` may do anything,
// everyone else nothing.
class OwnOnly {
public:
    explicit OwnOnly(const ProcessUser& user);
    OwnOnly(const OwnOnly&) = delete;
    OwnOnly& operator=(const OwnOnly&) = delete;

    // Nothing when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return made_ ? &attributes_ : nullptr; }

private:
    std::vector<std::uint64_t> acl_;  // 8-byte units keep it aligned
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{sizeof attributes_, &descriptor_, FALSE};
    bool made_ = false;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_PROCESS_USER_WIN32_H
