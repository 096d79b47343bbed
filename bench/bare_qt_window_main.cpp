// A bare Qt widget program, to set the main program's memory against.
// With --texts it also shows every text of the main window, in the same
// font, so what the font itself costs can be told apart from the rest.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

#include "bare_window.h"
#include "control_table.h"

namespace {

QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void ShowTheWindowsTexts(QWidget* window) {
    QStringList families;
    for (std::string_view family : qor::window::kWindowFontFamilies) families << Q(family);
    QFont font(families);
    font.setPointSizeF(qor::window::kWindowFontPoints);
    window->setFont(font);
    QString texts = Q(qor::window::kCaption);
    for (const auto& row : qor::window::kControls) texts += Q(row.text);
    for (const auto& list : qor::window::kLists)
        texts += Q(list.entries[static_cast<std::size_t>(list.defaultPosition)]);
    auto* label = new QLabel(texts, window);
    label->setWordWrap(true);
    label->setGeometry(0, 0, window->width(), window->height());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget* window = MakeBareWindow();
    if (argc > 1 && std::strcmp(argv[1], "--texts") == 0) ShowTheWindowsTexts(window);
    window->show();
    const int status = application.exec();
    delete window;
    return status;
}
