#include "system_failure.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace qorsim {

std::runtime_error SystemFailure(std::string_view what) {
    return SystemFailure(what, static_cast<unsigned long>(errno));
}

std::runtime_error SystemFailure(std::string_view what, unsigned long error) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(static_cast<int>(error)));
}

}  // namespace qorsim
