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

// The rate a --device line runs at when no --baud is given.
inline constexpr std::uint32_t kDefaultBaud = 9600;

struct Options {
    std::optional<std::string> port;    // "COMn", n >= 1, as the library names it
    std::optional<std::string> device;  // a serial line to serve instead (UTF-8)
    std::uint32_t baud = kDefaultBaud;  // for the device; the platform judges the rate
    std::optional<std::string> then;    // a program to start once served (UTF-8)
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

// What --help says that differs by platform (usage_<platform>.cpp).
struct PlatformUsage {
    std::string_view summary;      // what the simulator serves, and until when
    std::string_view lineOptions;  // --port, --device and --baud
    std::string_view stoppedBy;    // "a signal", for the exit status
};
const PlatformUsage& ThisPlatformUsage();

std::string UsageText(const PlatformUsage& platform = ThisPlatformUsage());

// Hex, optional 0x, at most 40 bits of value.
std::optional<std::uint64_t> ParseCardId(std::string_view text);

// A name the library reads as COMn (platform/port_name.h), in the one
// spelling the alias or pipe is named with.
std::optional<std::string> CanonicalPortName(std::string_view text);

}  // namespace qorsim
