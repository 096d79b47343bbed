#pragma once

#include <stdexcept>
#include <string_view>

namespace qorsim {

// A failed system call as the message qor-sim ends with: "<what>: <the
// system's reason>" on Linux, from errno; "<what> (error <n>)" on Windows,
// from GetLastError() (system_failure_<platform>.cpp).
std::runtime_error SystemFailure(std::string_view what);
// The same for an error the caller kept (an errno value, or a Windows error
// code).
std::runtime_error SystemFailure(std::string_view what, unsigned long error);

}  // namespace qorsim
