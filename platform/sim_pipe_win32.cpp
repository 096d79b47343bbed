#include "sim_pipe_win32.h"

#include "port_name_win32.h"

namespace qorplatform {
namespace {

std::optional<std::wstring> SimName(std::wstring_view prefix, std::string_view portName) {
    const std::optional<unsigned> n = SystemComPortNumber(portName);
    if (!n) return std::nullopt;
    return std::wstring(prefix) + L"qor-sim-COM" + std::to_wstring(*n);
}

}  // namespace

std::optional<std::wstring> SimPipeName(std::string_view portName) {
    return SimName(L"\\\\.\\pipe\\", portName);
}

std::optional<std::wstring> SimClaimName(std::string_view portName) {
    return SimName(L"Local\\", portName);
}

}  // namespace qorplatform
