// A kernel object handle that closes itself.
#ifndef QORPLATFORM_HANDLE_WIN32_H
#define QORPLATFORM_HANDLE_WIN32_H

#include <windows.h>

#include <utility>

namespace qorplatform {

// Owns a kernel object handle and closes it. Either "no handle" value
// (nullptr, INVALID_HANDLE_VALUE) holds nothing.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    // Closes it now: true unless the system reported an error. The handle is
    // gone either way.
    bool Close() {
        if (!Valid()) return true;
        return CloseHandle(std::exchange(handle_, nullptr)) != FALSE;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace qorplatform

#endif  // QORPLATFORM_HANDLE_WIN32_H
