#include "system_failure.h"

#include <windows.h>

#include <string>

namespace qorsim {

std::runtime_error SystemFailure(std::string_view what) {
    return SystemFailure(what, GetLastError());
}

std::runtime_error SystemFailure(std::string_view what, unsigned long error) {
    return std::runtime_error(std::string(what) + " (error " + std::to_string(error) + ")");
}

}  // namespace qorsim
