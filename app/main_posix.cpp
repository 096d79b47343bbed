#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "main_window.h"
#include "qor_version.h"
#include "qorcomm_library.h"

namespace {

// A signal handler may do almost nothing, so it only writes a byte; the
// event loop reads it and closes the window as its close button would, which
// releases the port before the program ends.
int signalPipe[2] = {-1, -1};

// A library call that never returns keeps the event loop from ever reading
// that byte. A second closing signal during a call is the operator insisting:
// the program then ends at once, and the system releases the port.
std::atomic<bool> closingAsked{false};
std::atomic<bool> libraryCallRunning{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

// Ends the program by `signal` itself, as if it had never been caught, so a
// shell or a service manager sees what ended it rather than an exit status.
[[noreturn]] void DieBy(int signal) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // Blocked while its handler runs: let it through now, so it ends the
    // program here rather than once the handler has returned.
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);  // only should the signal not end it
}

void OnSignal(int signal) {
    if (libraryCallRunning && closingAsked) DieBy(signal);
    closingAsked = true;
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending close: losing this byte is fine.
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool CatchClosingSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        if (sigaction(signal, &action, nullptr) != 0) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("qor-demo");
    QApplication::setApplicationVersion(QOR_VERSION);
    // A Wayland desktop matches the window to its menu entry, icon included,
    // by this name (the app id), whatever the executable is called.
    QApplication::setDesktopFileName("qor-demo");
    qor::QorCommLibrary library;
    qor::Form1 form(library);
    // The window is told around every library call; so is the handler.
    form.OnBusyChanged([](bool busy) { libraryCallRunning = busy; });

    // Without the handlers the default action would end the program without
    // releasing the port, so refuse to run rather than run that way.
    if (!CatchClosingSignals()) return EXIT_FAILURE;
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &form, [&form] {
        char bytes[64];
        while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        form.close();
    });

    form.show();
    application.exec();
    return EXIT_SUCCESS;
}
