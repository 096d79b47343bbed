#include "options.h"
#include "qor_version.h"
#include "port_alias.h"
#include "pseudo_terminal.h"
#include "responder.h"
#include "serve.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <csignal>
#include <exception>
#include <iostream>
#include <optional>
#include <system_error>
#include <vector>

namespace {

// Blocked and read through a signalfd, so shutdown (removing the alias) runs
// in ordinary code rather than in a handler. Blocked before the alias exists,
// so a signal arriving during start-up is not lost.
qorsim::FileDescriptor TakeOverShutdownSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signo);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot block signals");
    qorsim::FileDescriptor fd(::signalfd(-1, &set, SFD_CLOEXEC));
    if (fd.Get() < 0)
        throw std::system_error(errno, std::generic_category(), "cannot watch signals");
    return fd;
}

int Run(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const qorsim::ParseOutcome outcome = qorsim::ParseOptions(args);
    if (std::holds_alternative<qorsim::ShowHelp>(outcome)) {
        std::cout << qorsim::UsageText();
        return 0;
    }
    if (std::holds_alternative<qorsim::ShowVersion>(outcome)) {
        std::cout << "qor-sim " QOR_VERSION "\n";
        return 0;
    }
    if (const auto* error = std::get_if<qorsim::UsageError>(&outcome)) {
        std::cerr << "qor-sim: " << error->message << "\nTry 'qor-sim --help'.\n";
        return 2;
    }
    const auto& options = std::get<qorsim::Options>(outcome);

    // Whoever reads the path may go away; a failed write is then an error
    // with a message, not a silent death that leaves the alias behind.
    std::signal(SIGPIPE, SIG_IGN);
    const qorsim::FileDescriptor signals = TakeOverShutdownSignals();
    const qorsim::PseudoTerminal pty = qorsim::OpenPseudoTerminal();
    std::optional<qorsim::PortAlias> alias;
    if (options.port) alias.emplace(*options.port, pty.slavePath);

    std::cout << pty.slavePath << std::endl;
    if (!std::cout) throw std::runtime_error("cannot write the terminal's path to stdout");

    qorsim::Responder responder(options.reader);
    qorsim::Serve(pty.master.Get(), signals.Get(), responder,
                  options.verbose ? &std::cerr : nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "qor-sim: " << error.what() << '\n';
        return 1;
    }
}
