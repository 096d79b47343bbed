#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
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

void OnSignal(int) {
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
    qor::QorCommLibrary library;
    qor::Form1 form(library);

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
