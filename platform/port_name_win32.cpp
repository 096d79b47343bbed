#include "port_name_win32.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace qorplatform {

std::string ResolvePortName(std::string_view name) {
    const std::optional<unsigned> n = ComPortNumber(name);
    if (!n) return std::string(name);
    return "\\\\.\\COM" + std::to_string(*n);
}

std::optional<std::wstring> WidePortName(std::string_view name) {
    if (name.empty() || name.size() > INT_MAX) return std::nullopt;
    const int size = static_cast<int>(name.size());
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), size, wide.data(), length) !=
        length) {
        return std::nullopt;
    }
    return wide;
}

std::wstring PortLockName(std::wstring_view path) {
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
    // Global: a port is one per machine, whichever session opens it.
    return L"Global\\QORComm port " + key;
}

}  // namespace qorplatform
