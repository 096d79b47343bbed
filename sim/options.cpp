#include "options.h"

#include "port_name.h"
#include "wiegand.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qorsim {

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

template <typename T>
std::optional<T> ParseWhole(std::string_view text, int base) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

// The library takes the rate as a 32-bit signed number.
constexpr std::uint32_t kMaxBaud = 0x7FFFFFFF;

bool AllHexDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// "0x" and all 40 bits in upper-case hex, as a card's ID is given.
std::string CardIdText(std::uint64_t id) {
    std::string text = "0x";
    for (int shift = kCardIdBits - 4; shift >= 0; shift -= 4)
        text += "0123456789ABCDEF"[(id >> shift) & 0xF];
    return text;
}

}  // namespace

std::optional<std::uint64_t> ParseCardId(std::string_view text) {
    if (StartsWithIgnoringCase(text, "0x")) text.remove_prefix(2);
    const auto value = ParseWhole<std::uint64_t>(text, 16);
    if (!value || *value > kCardIdMask) return std::nullopt;
    return value;
}

std::optional<std::string> CanonicalPortName(std::string_view text) {
    // Any other name the library takes for a device path, so an alias under
    // it would never be found.
    const std::optional<unsigned> n = qorplatform::ComPortNumber(text);
    if (!n) return std::nullopt;
    return "COM" + std::to_string(*n);
}

ParseOutcome ParseOptions(std::span<const std::string_view> args) {
    Options options;
    bool cardGiven = false;
    bool noCard = false;
    bool faultEveryGiven = false;
    bool baudGiven = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> attached;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            attached = name.substr(eq + 1);
            name = name.substr(0, eq);
        }

        const bool takesValue = name == "--port" || name == "--device" || name == "--baud" ||
                                name == "--then" || name == "--card" || name == "--fault" ||
                                name == "--fault-every";
        std::string_view value;
        if (takesValue) {
            if (attached) {
                value = *attached;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return UsageError{std::string(name) + " needs a value"};
            }
        } else if (attached) {
            return UsageError{std::string(name) + " takes no value"};
        }

        if (name == "-h" || name == "--help") {
            return ShowHelp{};
        } else if (name == "--version") {
            return ShowVersion{};
        } else if (name == "-v" || name == "--verbose") {
            options.verbose = true;
        } else if (name == "--no-card") {
            noCard = true;
        } else if (name == "--port") {
            options.port = CanonicalPortName(value);
            if (!options.port)
                return UsageError{"--port: " + Quoted(value) + " is not a port name COMn" +
                                  " (n from 1 to " + std::string(qorplatform::kMaxComDigits, '9') +
                                  ", no leading zero)"};
        } else if (name == "--device") {
            if (value.empty()) return UsageError{"--device needs a serial line's name"};
            options.device = std::string(value);
        } else if (name == "--baud") {
            const auto baud = ParseWhole<std::uint32_t>(value, 10);
            if (!baud || *baud == 0 || *baud > kMaxBaud)
                return UsageError{"--baud: " + Quoted(value) + " is not a baud rate"};
            options.baud = *baud;
            baudGiven = true;
        } else if (name == "--then") {
            if (value.empty()) return UsageError{"--then needs a program"};
            options.then = std::string(value);
        } else if (name == "--card") {
            options.reader.cardId = ParseCardId(value);
            if (!options.reader.cardId) {
                const bool hex =
                    AllHexDigits(StartsWithIgnoringCase(value, "0x") ? value.substr(2) : value);
                return UsageError{
                    "--card: " + Quoted(value) +
                    (hex ? " is more than 40 bits" : " is not a hexadecimal card ID")};
            }
            cardGiven = true;
        } else if (name == "--fault") {
            const auto fault = FaultFromName(value);
            if (!fault)
                return UsageError{"--fault: unknown kind " + Quoted(value) +
                                  " (silent, garbled, parity, partial)"};
            options.reader.faults.push_back(*fault);
        } else if (name == "--fault-every") {
            const auto every = ParseWhole<std::uint32_t>(value, 10);
            if (!every || *every == 0)
                return UsageError{"--fault-every: " + Quoted(value) +
                                  " is not a whole number of at least 1"};
            options.reader.faultEvery = *every;
            faultEveryGiven = true;
        } else if (name.starts_with("-")) {
            return UsageError{"unknown option " + Quoted(name)};
        } else {
            return UsageError{"unexpected argument " + Quoted(name)};
        }
    }

    if (cardGiven && noCard) return UsageError{"--card and --no-card exclude each other"};
    if (options.port && options.device) return UsageError{"--port and --device exclude each other"};
    if (baudGiven && !options.device) return UsageError{"--baud needs --device"};
    if (noCard) options.reader.cardId.reset();
    if (faultEveryGiven && options.reader.faults.empty())
        return UsageError{"--fault-every needs at least one --fault"};
    return options;
}

std::string UsageText(const PlatformUsage& platform) {
    // What leaving an option out gives is what the help says it gives.
    const Options defaults;
    std::string text = "Usage: qor-sim [OPTION]...\n";
    text += platform.summary;
    text += "\n";
    text += platform.lineOptions;
    text += R"(  --then PROGRAM     once the line is served, start PROGRAM (no arguments),
                     and end when it ends, with status 0
  --card HEX         the card's 40-bit ID in hex, 0x optional
                     (default )";
    text += CardIdText(*defaults.reader.cardId);
    text += R"()
  --no-card          answer that no card is in the field
  --fault KIND       inject a fault into answers:
                       silent   no answer at all
                       garbled  a whole answer whose CRC does not match
                       parity   a valid answer whose card frame has one
                                parity or check bit flipped
                       partial  the first half of an answer, then silence
                     Give it several times to rotate the faulty answers
                     through the kinds in the order given.
  --fault-every N    only requests N, 2N, 3N, ... (counted from 1) are
                     faulty; the others are answered normally (default )";
    text += std::to_string(defaults.reader.faultEvery);
    text += R"()
  -v, --verbose      log each request and its answer on stderr
  -h, --help         show this help and exit
      --version      show the version and exit

Requests for a format other than 0-)";
    text += std::to_string(CardFormatCount() - 1);
    text += R"( are answered "format not supported";
frames that are not valid read requests are ignored.

Exit status: 0 after )";
    text += platform.stoppedBy;
    text += R"(, when the --then program ends, or after --help
or --version; 1 on a runtime error, 2 on a usage error.
)";
    return text;
}

}  // namespace qorsim
