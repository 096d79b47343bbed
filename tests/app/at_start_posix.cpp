// Preloaded into qor-demo by the tests that start it through qor-sim
// --then, where it is not the test's child: once the event loop runs, it
// clicks the button named by QOR_TEST_CLICK, as an operator would, and it
// notes how the program exits ("exit <status>") in QOR_TEST_CALL_LOG. A
// program killed, or ended by _exit, notes nothing.
#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <stdlib.h>
#include <cstdio>
#include <cstdlib>

namespace {

void NoteExit(int status, void*) {
    const char* path = std::getenv("QOR_TEST_CALL_LOG");
    if (path == nullptr) return;
    if (std::FILE* log = std::fopen(path, "a")) {
        std::fprintf(log, "exit %d\n", status);
        std::fclose(log);
    }
}

void AtStart() {
    on_exit(NoteExit, nullptr);
    const char* button = std::getenv("QOR_TEST_CLICK");
    if (button == nullptr) return;
    const QString name = QString::fromLocal8Bit(button);
    QTimer::singleShot(0, [name] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = window->findChild<QPushButton*>(name)) {
                found->click();
                return;
            }
        }
    });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(AtStart)
