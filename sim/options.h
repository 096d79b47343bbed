#pragma once

#include "responder.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace qorsim {

// The card a reader shows when no --card is given.
inline constexpr std::uint64_t kDemoCardId = 0x00A1B2C3D4;

struct Options {
    std::optional<std::string> port;  // "COMn", n >= 1, as the alias's file name
    ReaderConfig reader{kDemoCardId, {}, 1};
    bool verbose = false;
};

struct ShowHelp {};
struct ShowVersion {};

struct UsageError {
    std::string message;
};

using ParseOutcome = std::variant<Options, ShowHelp, ShowVersion, UsageError>;

// `args` excludes the program name.
ParseOutcome ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

// Hex, optional 0x, at most 40 bits of value.
std::optional<std::uint64_t> ParseCardId(std::string_view text);

// "COMn" in any case with n >= 1 in at most 9 digits and without leading
// zeros, returned in the upper case the alias is named with.
std::optional<std::string> CanonicalPortName(std::string_view text);

}  // namespace qorsim
