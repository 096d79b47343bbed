#include "queued_input.h"

#include <qpa/qwindowsysteminterface.h>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWindow>

namespace qor {
namespace {

// What the operator does with keys, buttons, wheel, touch and pen. Pointer
// motion is left alone: it runs nothing.
bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture: return true;
        default: return false;
    }
}

class InputDropper final : public QObject {
public:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (IsInput(event->type())) return true;
        if (event->type() == QEvent::Close && target->isWindowType()) {
            QMetaObject::invokeMethod(
                target,
                [window = QPointer(static_cast<QWindow*>(target))] {
                    if (window != nullptr) window->close();
                },
                Qt::QueuedConnection);
            return true;
        }
        return false;
    }
};

}  // namespace

void DeliverQueuedEventsDroppingInput() {
    InputDropper dropper;
    QCoreApplication::instance()->installEventFilter(&dropper);
    QWindowSystemInterface::flushWindowSystemEvents();
    QCoreApplication::instance()->removeEventFilter(&dropper);
}

}  // namespace qor
