#pragma once

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QString>
#include <vector>

namespace qor {

// The message list: an append-only list box of text lines. Every line has
// the same height, so appending costs the same at ten lines as at a hundred
// thousand (the item views relayout every row on each insertion), and an
// append never moves the view.
//
// What a list box offers is here too: Ctrl+C copies the selected lines,
// Ctrl+A selects them all, a context menu copies the selection or every
// line, a line cut off at the right shows whole as a tooltip, and screen
// readers see one item per line (message_list_accessible.h).
class MessageList final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit MessageList(QWidget* parent = nullptr);

    void AppendLine(const QString& line);

    int Count() const { return static_cast<int>(lines_.size()); }
    const QString& Line(int row) const { return lines_[static_cast<std::size_t>(row)]; }
    int CurrentRow() const { return current_; }
    int FirstVisibleRow() const;

    // The selection is the current line, or after Ctrl+A every line there
    // was at that moment; lines appended later join it no more than they
    // would in a list box.
    bool IsSelected(int row) const { return row < selectedAll_ || row == current_; }
    void SelectAll();
    // As plain text, one line of it per line, in order; with nothing
    // selected the clipboard is left alone.
    void Copy() const;
    void CopyAll() const;

    // The row at a height in the viewport, or -1; and a row's rectangle
    // there, which lies outside the viewport for a row scrolled away.
    int RowAt(int y) const;
    QRect RowRect(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int RowHeight() const;
    int WholeRowsShown() const;
    void UpdateScrollRange();
    void MakeCurrent(int row);
    bool IsCut(int row) const;
    void Notify(QAccessible::Event type, int row);

    std::vector<QString> lines_;
    int current_ = -1;
    int selectedAll_ = 0;  // the lines before this one are selected by Ctrl+A
};

}  // namespace qor
