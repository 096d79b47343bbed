#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace qor {

class MessageList;

// What a screen reader sees of the message list: a list with one item per
// line, named by the line's text, the current line its focused item. The
// list draws its lines itself, so without this a reader would find one
// blank widget.
class MessageListAccessible final : public QAccessibleWidget {
public:
    explicit MessageListAccessible(MessageList* list);
    ~MessageListAccessible() override;

    // For QAccessible::installFactory.
    static QAccessibleInterface* Create(const QString& className, QObject* object);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessible::State state() const override;

private:
    MessageList* List() const;

    // A line's interface is made when a reader first asks for it and kept
    // under one ID for as long as the list lives, as readers expect.
    mutable QHash<int, QAccessible::Id> lines_;
};

}  // namespace qor
