// A file descriptor that closes itself.
#ifndef QORPLATFORM_FILE_DESCRIPTOR_POSIX_H
#define QORPLATFORM_FILE_DESCRIPTOR_POSIX_H

#include <unistd.h>

#include <utility>

namespace qorplatform {

// Owns a file descriptor and closes it; -1 holds nothing.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }

    int Get() const { return fd_; }

    // Closes it now, for a caller that reports how the close went: false
    // when close failed. Holds nothing afterwards either way.
    bool Close() { return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_ = -1;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_FILE_DESCRIPTOR_POSIX_H
