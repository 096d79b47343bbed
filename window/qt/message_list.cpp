#include "message_list.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace qor {
namespace {

constexpr int kTextIndent = 2;

}  // namespace

MessageList::MessageList(QWidget* parent) : QAbstractScrollArea(parent) {
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

int MessageList::firstVisibleRow() const { return verticalScrollBar()->value(); }

void MessageList::AppendLine(const QString& line) {
    lines_.push_back(line);
    UpdateScrollRange();
    const int onScreen = count() - 1 - firstVisibleRow();
    if (onScreen <= WholeRowsShown())
        viewport()->update(0, onScreen * RowHeight(), viewport()->width(), RowHeight());
}

// The scroll bar counts rows, so its range is known without measuring lines.
void MessageList::UpdateScrollRange() {
    const int shown = WholeRowsShown();
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setRange(0, std::max(0, count() - shown));
}

void MessageList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int height = RowHeight();
    const int first = firstVisibleRow() + event->rect().top() / height;
    const int last = std::min(count() - 1, firstVisibleRow() + event->rect().bottom() / height);
    for (int row = first; row <= last; ++row) {
        const QRect rect(0, (row - firstVisibleRow()) * height, viewport()->width(), height);
        if (row == current_) {
            const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
            painter.fillRect(rect, palette().brush(group, QPalette::Highlight));
            painter.setPen(palette().color(group, QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(rect.adjusted(kTextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         line(row));
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

void MessageList::mousePressEvent(QMouseEvent* event) {
    const int row = firstVisibleRow() + static_cast<int>(event->position().y()) / RowHeight();
    if (row < count()) MakeCurrent(row);
}

void MessageList::keyPressEvent(QKeyEvent* event) {
    if (count() == 0) return QAbstractScrollArea::keyPressEvent(event);
    const int page = WholeRowsShown();
    switch (event->key()) {
        case Qt::Key_Up: return MakeCurrent(std::max(0, current_ - 1));
        case Qt::Key_Down: return MakeCurrent(current_ + 1);
        case Qt::Key_PageUp: return MakeCurrent(std::max(0, current_ - page));
        case Qt::Key_PageDown: return MakeCurrent(current_ + page);
        case Qt::Key_Home: return MakeCurrent(0);
        case Qt::Key_End: return MakeCurrent(count() - 1);
        default: return QAbstractScrollArea::keyPressEvent(event);
    }
}

// Moving the current row by keyboard or mouse does scroll, as far as needed
// to show it; only appending leaves the view alone.
void MessageList::MakeCurrent(int row) {
    current_ = std::clamp(row, 0, count() - 1);
    QScrollBar* bar = verticalScrollBar();
    if (current_ < bar->value()) bar->setValue(current_);
    if (current_ >= bar->value() + WholeRowsShown()) bar->setValue(current_ - WholeRowsShown() + 1);
    viewport()->update();
}

}  // namespace qor
