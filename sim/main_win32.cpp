#include "command_line.h"
#include "conversation.h"
#include "handle_win32.h"
#include "pipe_server_win32.h"
#include "responder.h"
#include "serial_line_win32.h"
#include "serve_win32.h"
#include "sim_pipe_win32.h"
#include "then_program_win32.h"
#include "wide_text_win32.h"

#include <windows.h>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Events for the process's whole life, never closed: the console's handler
// runs on a thread of its own, at any time. The serve loop waits for the
// first; the handler of a closing console waits for the second, since the
// process ends as soon as it returns.
HANDLE stopRequested = nullptr;
HANDLE stopped = nullptr;

// How long closing the console may wait for the serve loop; Windows ends
// the process after 5 s regardless.
constexpr DWORD kCloseWaitMs = 3000;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    SetEvent(stopRequested);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(stopped, kCloseWaitMs);
    return TRUE;
}

int Run(int argc, wchar_t** argv) {
    std::vector<std::string> utf8;
    for (int i = 1; i < argc; ++i) utf8.push_back(qorplatform::Narrow(argv[i]));
    const std::vector<std::string_view> args(utf8.begin(), utf8.end());
    auto start = qorsim::StartFromCommandLine(args, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&start)) return *status;
    const auto& options = std::get<qorsim::Options>(start);
    if (!options.port && !options.device)
        return qorsim::UsageFailure(std::cerr, "give --port COMn, or --device NAME");

    // Made before anything is served, so a Ctrl+C during start-up is not lost.
    stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopRequested == nullptr || stopped == nullptr)
        throw std::runtime_error("cannot make the events to stop by");
    if (!SetConsoleCtrlHandler(OnConsoleEvent, TRUE))
        throw std::runtime_error("cannot watch for Ctrl+C");

    std::optional<qorsim::SerialLine> device;
    qorsim::PipeServer server;
    if (options.device) {
        device.emplace(*options.device, options.baud);
        std::cout << qorplatform::Narrow(device->Path()) << std::endl;
    } else {
        const std::wstring name = *qorplatform::SimPipeName(*options.port);
        server = qorsim::CreatePipeServer(name, *options.port);
        std::cout << qorplatform::Narrow(name) << std::endl;
    }
    if (!std::cout) throw std::runtime_error("cannot write the line's path to stdout");

    std::optional<qorsim::ThenProgram> program;
    if (options.then) program.emplace(*options.then);

    std::ostream* log = options.verbose ? &std::cerr : nullptr;
    qorsim::Responder responder(options.reader);
    qorsim::Conversation conversation(responder, log);
    const qorsim::StopWhen stop{stopRequested, program ? program->Process() : nullptr};
    if (device)
        qorsim::ServeLine(device->Get(), conversation, stop, log);
    else
        qorsim::ServePipe(server.pipe.Get(), conversation, stop, log);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "qor-sim: " << error.what() << '\n';
    }
    std::cout.flush();
    if (stopped != nullptr) SetEvent(stopped);
    return status;
}
