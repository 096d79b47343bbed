// A bare Qt widget program, to set the main program's memory against.
#include <QApplication>
#include <QWidget>

#include "bare_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget* window = MakeBareWindow();
    window->show();
    const int status = application.exec();
    delete window;
    return status;
}
