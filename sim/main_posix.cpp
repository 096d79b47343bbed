#include "command_line.h"
#include "conversation.h"
#include "port_alias.h"
#include "pseudo_terminal.h"
#include "raw_line_posix.h"
#include "responder.h"
#include "serial_line_posix.h"
#include "serve_posix.h"
#include "system_failure.h"
#include "then_program_posix.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <csignal>
#include <exception>
#include <iostream>
#include <optional>
#include <vector>

namespace {

// Blocked and read through a signalfd, so shutdown (removing the alias) runs
// in ordinary code rather than in a handler. Blocked before the alias exists,
// so a signal arriving during start-up is not lost. SIGCHLD tells that the
// --then program has ended.
qorplatform::FileDescriptor TakeOverSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signo : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&set, signo);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        throw qorsim::SystemFailure("cannot block signals");
    qorplatform::FileDescriptor fd(::signalfd(-1, &set, SFD_CLOEXEC));
    if (fd.Get() < 0) throw qorsim::SystemFailure("cannot watch signals");
    return fd;
}

int Run(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    auto start = qorsim::StartFromCommandLine(args, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&start)) return *status;
    const auto& options = std::get<qorsim::Options>(start);

    std::optional<speed_t> speed;
    if (options.device) {
        speed = qorplatform::SpeedFor(static_cast<std::int32_t>(options.baud));
        if (!speed)
            return qorsim::UsageFailure(std::cerr, "--baud: " + std::to_string(options.baud) +
                                                       " is not a rate termios names");
    }

    // Whoever reads the path may go away; a failed write is then an error
    // with a message, not a silent death that leaves the alias behind.
    std::signal(SIGPIPE, SIG_IGN);
    const qorplatform::FileDescriptor signals = TakeOverSignals();

    std::optional<qorsim::SerialLine> device;
    std::optional<qorsim::PseudoTerminal> pty;
    std::optional<qorsim::PortAlias> alias;
    int line = -1;
    if (options.device) {
        device.emplace(*options.device, *speed);
        line = device->Get();
        std::cout << *options.device << '\n';
    } else {
        pty = qorsim::OpenPseudoTerminal();
        line = pty->master.Get();
        if (options.port) alias.emplace(*options.port, pty->slavePath);
        // The terminal first: scripts and tests read the first line.
        std::cout << pty->slavePath << '\n';
        if (alias) std::cout << alias->Path().string() << '\n';
    }
    std::cout.flush();
    if (!std::cout) throw std::runtime_error("cannot write the line's path to stdout");

    // Made last, so it is ended first, before the alias goes.
    std::optional<qorsim::ThenProgram> program;
    if (options.then) program.emplace(*options.then);

    std::ostream* log = options.verbose ? &std::cerr : nullptr;
    qorsim::Responder responder(options.reader);
    qorsim::Conversation conversation(responder, log);
    qorsim::Serve(line, signals.Get(), conversation, program ? &*program : nullptr, log);
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
