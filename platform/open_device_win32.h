// How the library and the simulator open a port by name on Windows.
#ifndef QORPLATFORM_OPEN_DEVICE_WIN32_H
#define QORPLATFORM_OPEN_DEVICE_WIN32_H

#include <windows.h>

#include <string>

namespace qorplatform {

// Opens `path` for reading and writing, shared with nobody, with `flags`
// (FILE_FLAG_OVERLAPPED, or 0). Any name may turn out to be a pipe, so its
// server may learn who opened it but never act as this user
// (SECURITY_IDENTIFICATION). INVALID_HANDLE_VALUE and GetLastError() as
// CreateFileW gives them.
HANDLE OpenDevice(const std::wstring& path, DWORD flags);

}  // namespace qorplatform

#endif  // QORPLATFORM_OPEN_DEVICE_WIN32_H
