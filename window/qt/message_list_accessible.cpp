#include "message_list_accessible.h"

#include <QPointer>
#include <QWindow>

#include "message_list.h"

namespace qor {
namespace {

class LineAccessible final : public QAccessibleInterface {
public:
    LineAccessible(MessageList* list, int row) : list_(list), row_(row) {}

    MessageList* List() const { return list_; }
    int Row() const { return row_; }

    bool isValid() const override { return list_ != nullptr && row_ < list_->Count(); }
    // A line is no object of its own: the cache must key it by its ID
    // alone, not take it for the list's interface.
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return list_ != nullptr ? list_->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Name && isValid() ? list_->Line(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect row = list_->RowRect(row_);
        return {list_->viewport()->mapToGlobal(row.topLeft()), row.size()};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) return state;
        state.focusable = true;
        state.selectable = true;
        state.selected = list_->IsSelected(row_);
        state.focused = list_->hasFocus() && list_->CurrentRow() == row_;
        state.offscreen = !list_->viewport()->rect().intersects(list_->RowRect(row_));
        return state;
    }

private:
    QPointer<MessageList> list_;
    int row_;
};

}  // namespace

MessageListAccessible::MessageListAccessible(MessageList* list)
    : QAccessibleWidget(list, QAccessible::List) {}

MessageListAccessible::~MessageListAccessible() {
    for (QAccessible::Id id : std::as_const(lines_)) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* MessageListAccessible::Create(const QString& className, QObject* object) {
    if (className != QLatin1String(MessageList::staticMetaObject.className())) return nullptr;
    return new MessageListAccessible(static_cast<MessageList*>(object));
}

MessageList* MessageListAccessible::List() const { return static_cast<MessageList*>(widget()); }

int MessageListAccessible::childCount() const { return List()->Count(); }

QAccessibleInterface* MessageListAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    if (const auto found = lines_.constFind(index); found != lines_.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* line = new LineAccessible(List(), index);
    lines_.insert(index, QAccessible::registerAccessibleInterface(line));
    return line;
}

int MessageListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* line = dynamic_cast<const LineAccessible*>(child);
    return line != nullptr && line->List() == List() ? line->Row() : -1;
}

QAccessibleInterface* MessageListAccessible::childAt(int x, int y) const {
    const QPoint at = List()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!List()->viewport()->rect().contains(at)) return nullptr;
    return child(List()->RowAt(at.y()));
}

QAccessibleInterface* MessageListAccessible::focusChild() const {
    return List()->hasFocus() ? child(List()->CurrentRow()) : nullptr;
}

QAccessible::State MessageListAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.multiSelectable = true;  // Ctrl+A
    return state;
}

}  // namespace qor
