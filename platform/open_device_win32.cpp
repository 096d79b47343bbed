#include "open_device_win32.h"

namespace qorplatform {

HANDLE OpenDevice(const std::wstring& path, DWORD flags) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       flags | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
}

}  // namespace qorplatform
