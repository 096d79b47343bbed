#include "bare_window.h"

#include <array>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "control_table.h"

namespace {

using qor::window::ControlKind;

QWidget* MakeBareControl(ControlKind kind, QWidget* container) {
    switch (kind) {
        case ControlKind::Frame: return new QGroupBox(container);
        case ControlKind::Label: return new QLabel(container);
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(container);
            combo->setEditable(true);
            return combo;
        }
        case ControlKind::TextBox: return new QLineEdit(container);
        case ControlKind::Button: return new QPushButton(container);
        case ControlKind::ListBox: return new QListWidget(container);
    }
    return nullptr;
}

}  // namespace

QWidget* MakeBareWindow() {
    namespace window = qor::window;
    auto* bare = new QWidget;
    bare->resize(window::TwipsToPixels(window::kClientWidthTwips),
                 window::TwipsToPixels(window::kClientHeightTwips));
    std::array<QWidget*, window::kControls.size()> made{};
    for (std::size_t row = 0; row < made.size(); ++row) {
        const std::size_t container = window::kContainerRows[row];
        made[row] = MakeBareControl(window::kControls[row].kind,
                                    container == window::kNoRow ? bare : made[container]);
    }
    return bare;
}
