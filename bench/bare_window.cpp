#include "bare_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

QWidget* MakeBareWindow() {
    auto* window = new QWidget;
    window->resize(586, 363);
    auto* frames = new QGroupBox(window);
    for (int i = 0; i < 2; ++i) new QGroupBox(frames);
    for (int i = 0; i < 8; ++i) new QLabel(frames);
    for (int i = 0; i < 5; ++i) (new QComboBox(frames))->setEditable(true);
    for (int i = 0; i < 2; ++i) new QLineEdit(frames);
    for (int i = 0; i < 3; ++i) new QPushButton(frames);
    new QListWidget(window);
    return window;
}
