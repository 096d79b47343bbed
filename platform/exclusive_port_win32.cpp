#include "exclusive_port_win32.h"

// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>
#include <utility>

#include "open_device_win32.h"
#include "process_user_win32.h"

namespace qorplatform {
namespace {

// Why CreateFileW refused `path`. On Windows a port another program has open
// is "access denied"; a folder is too, but it is no port at all.
ExclusivePort::Outcome OpenFailure(const std::wstring& path, DWORD error) {
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
        return ExclusivePort::Outcome::NoDevice;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return ExclusivePort::Outcome::NotSerialLine;
    return ExclusivePort::Outcome::Busy;
}

std::wstring SidText(const ProcessUser& user) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(user.Sid(), &text)) return L"?";
    std::wstring copy(text);
    LocalFree(text);
    return copy;
}

}  // namespace

ExclusivePort ExclusivePort::Open(const std::wstring& path, DWORD flags) {
    ExclusivePort port;
    port.handle_ = Handle(OpenDevice(path, flags));
    if (!port.handle_.Valid()) {
        port.error_ = GetLastError();
        port.outcome_ = OpenFailure(path, port.error_);
        if (port.outcome_ != Outcome::NoDevice) port.error_ = 0;
        return port;
    }
    const HANDLE handle = port.handle_.Get();

    // Nothing is written, nor any setting changed, before GetCommState has
    // said this is a serial port.
    const DWORD type = GetFileType(handle);
    port.found_.DCBlength = sizeof port.found_;
    if (!GetCommState(handle, &port.found_)) {
        port.error_ = GetLastError();
        const bool noPort =
            port.error_ == ERROR_INVALID_HANDLE || type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
        port.outcome_ = noPort ? Outcome::NotSerialLine : Outcome::NoDevice;
        if (noPort) port.error_ = 0;
        port.handle_.Close();
        return port;
    }

    // Only a port gets locked, and before its settings change under whoever
    // else may have it.
    if (!port.Lock(path)) {
        port.outcome_ = Outcome::Busy;
        port.handle_.Close();
        return port;
    }
    port.outcome_ = Outcome::Opened;
    return port;
}

bool ExclusivePort::Lock(const std::wstring& path) {
    // Windows keeps a port opened with no sharing for the one process that
    // has it, whoever asks next: then no named object has a say. Wine lets a
    // second open through, and there the lock is what keeps this user's own
    // processes apart.
    if (Handle(OpenDevice(path, 0)).Valid() == false) return true;

    const std::optional<ProcessUser> user = ProcessUser::Of(GetCurrentProcess());
    if (!user) return true;
    OwnOnly ownOnly(*user);
    Handle lock(CreateMutexW(ownOnly.Attributes(), FALSE, PortLockName(path, *user).c_str()));
    const DWORD error = GetLastError();
    // An object of that name that is not this user's, whatever its kind or
    // access list, is somebody else's doing and is passed over: no other
    // user decides whether this one opens a port. The open then goes
    // unlocked, as it would on Windows, where the lock is not needed.
    if (!lock.Valid()) return true;
    if (error == ERROR_ALREADY_EXISTS) return !user->Owns(lock.Get());
    lock_ = std::move(lock);
    return true;
}

bool ExclusivePort::Close() {
    const bool closed = handle_.Close();
    lock_.Close();
    return closed;
}

std::wstring PortLockName(std::wstring_view path, const ProcessUser& user) {
    // Device names are case-blind and take either slash; object names are
    // case-sensitive and may not hold a backslash.
    std::wstring key(path.size(), L'\0');
    // Upper case without the locale's say (and from KERNEL32: USER32 is no
    // DLL for a library to pull into its caller).
    if (!path.empty()) {
        const int size = static_cast<int>(path.size());
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), size, key.data(),
                          size, nullptr, nullptr, 0) != size) {
            key = path;
        }
    }
    std::replace(key.begin(), key.end(), L'/', L'\\');
    for (const std::wstring_view prefix :
         {std::wstring_view(L"\\\\.\\"), std::wstring_view(L"\\\\?\\")}) {
        if (key.starts_with(prefix)) {
            key.erase(0, prefix.size());
            break;
        }
    }
    std::replace(key.begin(), key.end(), L'\\', L'/');
    // The session's own namespace, where another user's sessions make
    // nothing, and a name of this user's own within it.
    return L"Local\\QORComm port " + SidText(user) + L" " + key;
}

}  // namespace qorplatform
