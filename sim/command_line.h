#pragma once

#include "options.h"

#include <ostream>
#include <span>
#include <string_view>
#include <variant>

namespace qorsim {

// The exit status of a usage error.
inline constexpr int kUsageErrorStatus = 2;

// Parses the arguments (the program name excluded) and answers --help,
// --version and usage errors itself on `out` and `err`. Gives the options to
// serve with, or the status to exit with at once.
std::variant<Options, int> StartFromCommandLine(std::span<const std::string_view> args,
                                                std::ostream& out, std::ostream& err);

// Reports a usage error found after parsing (one only the platform can
// judge) as the parser's are reported, and gives kUsageErrorStatus.
int UsageFailure(std::ostream& err, std::string_view message);

}  // namespace qorsim
