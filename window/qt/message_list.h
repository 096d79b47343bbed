#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

namespace qor {

// The message list: an append-only list box of text lines. Every line has
// the same height, so appending costs the same at ten lines as at a hundred
// thousand (the item views relayout every row on each insertion), and an
// append never moves the view.
class MessageList final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit MessageList(QWidget* parent = nullptr);

    void AppendLine(const QString& line);

    int count() const { return static_cast<int>(lines_.size()); }
    const QString& line(int row) const { return lines_[static_cast<std::size_t>(row)]; }
    int currentRow() const { return current_; }
    int firstVisibleRow() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int RowHeight() const;
    int WholeRowsShown() const;
    void UpdateScrollRange();
    void MakeCurrent(int row);

    std::vector<QString> lines_;
    int current_ = -1;
};

}  // namespace qor
