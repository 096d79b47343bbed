#include "command_line.h"

#include "qor_version.h"

namespace qorsim {

std::variant<Options, int> StartFromCommandLine(std::span<const std::string_view> args,
                                                std::ostream& out, std::ostream& err) {
    ParseOutcome outcome = ParseOptions(args);
    if (std::holds_alternative<ShowHelp>(outcome)) {
        out << UsageText();
        return 0;
    }
    if (std::holds_alternative<ShowVersion>(outcome)) {
        out << "qor-sim " QOR_VERSION "\n";
        return 0;
    }
    if (const auto* error = std::get_if<UsageError>(&outcome))
        return UsageFailure(err, error->message);
    return std::move(std::get<Options>(outcome));
}

int UsageFailure(std::ostream& err, std::string_view message) {
    err << "qor-sim: " << message << "\nTry 'qor-sim --help'.\n";
    return kUsageErrorStatus;
}

}  // namespace qorsim
