#include "port_name_win32.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cwctype>

namespace qorplatform {
namespace {

// Whether `text` starts with `prefix`, in any case; if so, drops it.
bool DropPrefix(std::wstring& text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towupper(text[i]) != prefix[i]) return false;
    }
    text.erase(0, prefix.size());
    return true;
}

// n of a device path that names COMn in the system's namespace of DOS
// devices, its slashes all backslashes.
std::optional<unsigned> DeviceComNumber(std::wstring path) {
    const bool normalized = DropPrefix(path, L"\\\\.\\");
    if (!normalized && !DropPrefix(path, L"\\\\?\\")) return std::nullopt;
    // The same namespace by its longer names.
    constexpr std::array<std::wstring_view, 4> kSameNamespace = {
        L"GLOBAL\\", L"GLOBALROOT\\??\\", L"GLOBALROOT\\GLOBAL??\\", L"GLOBALROOT\\DOSDEVICES\\"};
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (const std::wstring_view prefix : kSameNamespace)
            dropped = dropped || DropPrefix(path, prefix);
    }
    // Windows drops a name's trailing dots and spaces, except after \\?\.
    if (normalized) path.erase(path.find_last_not_of(L". ") + 1);
    if (path.size() > 16 ||
        std::any_of(path.begin(), path.end(), [](wchar_t c) { return c < 0x20 || c > 0x7E; }))
        return std::nullopt;
    return ComPortNumber(std::string(path.begin(), path.end()));
}

}  // namespace

std::optional<unsigned> SystemComPortNumber(std::string_view name) {
    if (const std::optional<unsigned> n = ComPortNumber(name)) return n;
    const std::optional<std::wstring> wide = WidePortName(name);
    if (!wide) return std::nullopt;
    // What CreateFileW will make of the name: its full path, with a DOS
    // device name (COM1 to COM9, in any folder, with a colon, an extension,
    // trailing dots or spaces) turned into \\.\COMn.
    const DWORD size = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::nullopt;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide->c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return std::nullopt;
    full.resize(length);
    std::replace(full.begin(), full.end(), L'/', L'\\');
    return DeviceComNumber(full);
}

std::string ResolvePortName(std::string_view name) {
    const std::optional<unsigned> n = SystemComPortNumber(name);
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

}  // namespace qorplatform
