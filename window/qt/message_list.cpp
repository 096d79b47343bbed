#include "message_list.h"

#include <algorithm>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include "control_table.h"
#include "message_list_accessible.h"

namespace qor {
namespace {

constexpr int kTextIndent = 2;

QString MenuText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void PutOnClipboard(const QStringList& lines) {
    if (!lines.isEmpty()) QGuiApplication::clipboard()->setText(lines.join(u'\n'));
}

}  // namespace

MessageList::MessageList(QWidget* parent) : QAbstractScrollArea(parent) {
    [[maybe_unused]] static const bool kAccessibilityInstalled = [] {
        QAccessible::installFactory(&MessageListAccessible::Create);
        return true;
    }();
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollRange();
}

int MessageList::RowHeight() const { return fontMetrics().height() + 2; }

int MessageList::WholeRowsShown() const { return std::max(1, viewport()->height() / RowHeight()); }

int MessageList::FirstVisibleRow() const { return verticalScrollBar()->value(); }

int MessageList::RowAt(int y) const {
    const int row = FirstVisibleRow() + y / RowHeight();
    return y >= 0 && row < Count() ? row : -1;
}

QRect MessageList::RowRect(int row) const {
    return {0, (row - FirstVisibleRow()) * RowHeight(), viewport()->width(), RowHeight()};
}

void MessageList::AppendLine(const QString& line) {
    lines_.push_back(line);
    UpdateScrollRange();
    const int onScreen = Count() - 1 - FirstVisibleRow();
    if (onScreen <= WholeRowsShown())
        viewport()->update(0, onScreen * RowHeight(), viewport()->width(), RowHeight());
    // Only while a screen reader listens: telling one builds the line's
    // interface, which costs more than the append itself.
    if (QAccessible::isActive()) Notify(QAccessible::ObjectCreated, Count() - 1);
}

void MessageList::Notify(QAccessible::Event type, int row) {
    QAccessibleEvent event(this, type);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

void MessageList::SelectAll() {
    selectedAll_ = Count();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::SelectionWithin);
        QAccessible::updateAccessibility(&event);
    }
}

void MessageList::Copy() const {
    QStringList selected;
    for (int row = 0; row < selectedAll_; ++row) selected << Line(row);
    if (current_ >= selectedAll_) selected << Line(current_);
    PutOnClipboard(selected);
}

void MessageList::CopyAll() const {
    QStringList all;
    all.reserve(Count());
    for (const QString& text : lines_) all << text;
    PutOnClipboard(all);
}

// The scroll bar counts rows, so its range is known without measuring lines.
void MessageList::UpdateScrollRange() {
    const int shown = WholeRowsShown();
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setRange(0, std::max(0, Count() - shown));
}

void MessageList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int height = RowHeight();
    const int first = FirstVisibleRow() + event->rect().top() / height;
    const int last = std::min(Count() - 1, FirstVisibleRow() + event->rect().bottom() / height);
    for (int row = first; row <= last; ++row) {
        const QRect rect = RowRect(row);
        if (IsSelected(row)) {
            const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
            painter.fillRect(rect, palette().brush(group, QPalette::Highlight));
            painter.setPen(palette().color(group, QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(rect.adjusted(kTextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         Line(row));
        if (row == current_ && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void MessageList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void MessageList::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateScrollRange();
}

void MessageList::scrollContentsBy(int, int) { viewport()->update(); }

void MessageList::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (current_ >= 0 && QAccessible::isActive()) Notify(QAccessible::Focus, current_);
}

// A right click on a selected line keeps the selection, so the menu can copy it.
void MessageList::mousePressEvent(QMouseEvent* event) {
    const int row = RowAt(static_cast<int>(event->position().y()));
    if (row < 0 || (event->button() == Qt::RightButton && IsSelected(row))) return;
    MakeCurrent(row);
}

void MessageList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) return Copy();
    if (event->matches(QKeySequence::SelectAll)) return SelectAll();
    if (Count() == 0) return QAbstractScrollArea::keyPressEvent(event);
    const int page = WholeRowsShown();
    switch (event->key()) {
        case Qt::Key_Up: return MakeCurrent(std::max(0, current_ - 1));
        case Qt::Key_Down: return MakeCurrent(current_ + 1);
        case Qt::Key_PageUp: return MakeCurrent(std::max(0, current_ - page));
        case Qt::Key_PageDown: return MakeCurrent(current_ + page);
        case Qt::Key_Home: return MakeCurrent(0);
        case Qt::Key_End: return MakeCurrent(Count() - 1);
        default: return QAbstractScrollArea::keyPressEvent(event);
    }
}

void MessageList::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyLines = menu.addAction(MenuText(window::kCopyText), this, &MessageList::Copy);
    copyLines->setEnabled(selectedAll_ > 0 || current_ >= 0);
    QAction* copyEvery =
        menu.addAction(MenuText(window::kCopyAllText), this, &MessageList::CopyAll);
    copyEvery->setEnabled(Count() > 0);
    QPoint at = event->globalPos();
    // From the keyboard the menu opens at the current line, if it is in view.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect current = RowRect(current_);
        at = viewport()->mapToGlobal(current_ >= 0 &&
                                             viewport()->rect().contains(current.bottomLeft())
                                         ? current.bottomLeft()
                                         : QPoint(0, 0));
    }
    menu.exec(at);
}

bool MessageList::IsCut(int row) const {
    return kTextIndent + fontMetrics().horizontalAdvance(Line(row)) > viewport()->width();
}

bool MessageList::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QAbstractScrollArea::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int row = RowAt(help->pos().y());
    if (row >= 0 && IsCut(row)) {
        // As rich text, escaped: a line is shown as it is, whatever it holds.
        QToolTip::showText(
            help->globalPos(),
            QStringLiteral("<p style='white-space:pre'>%1</p>").arg(Line(row).toHtmlEscaped()),
            viewport(), RowRect(row));
    } else {
        QToolTip::hideText();
    }
    return true;
}

// Moving the current row by keyboard or mouse does scroll, as far as needed
// to show it; only appending leaves the view alone. It also ends a Ctrl+A
// selection, as it does in a list box.
void MessageList::MakeCurrent(int row) {
    current_ = std::clamp(row, 0, Count() - 1);
    selectedAll_ = 0;
    QScrollBar* bar = verticalScrollBar();
    if (current_ < bar->value()) bar->setValue(current_);
    if (current_ >= bar->value() + WholeRowsShown()) bar->setValue(current_ - WholeRowsShown() + 1);
    viewport()->update();
    if (hasFocus() && QAccessible::isActive()) Notify(QAccessible::Focus, current_);
}

}  // namespace qor
