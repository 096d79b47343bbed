// The message list as an operator and a screen reader use it: copying,
// its context menu, tooltips and its accessible tree.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "accessibility_switch.h"
#include "message_list.h"

namespace {

const QStringList kLines = {"打开串口成功", "", "读取卡号：0000B2C3D4"};

class MessageListTest : public ::testing::Test {
protected:
    MessageListTest() {
        list.resize(545, 100);  // edMsg's size in the window
        for (const QString& line : kLines) list.AppendLine(line);
        QGuiApplication::clipboard()->setText("before");
    }

    void ShowActive() {
        list.show();
        list.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
        list.setFocus();
    }

    QPoint At(int row) const { return list.RowRect(row).center(); }
    // The list acts on the press, as a list box does.
    void Click(int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(list.viewport(), button, {}, At(row));
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&list, key, modifiers);
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    // Right-clicks a row and picks an entry from the menu that opens, by
    // keyboard; gives the menu's entries and whether each could be chosen.
    std::vector<std::pair<QString, bool>> ChooseFromMenu(int row, const QString& entry) {
        std::vector<std::pair<QString, bool>> entries;
        QTimer::singleShot(0, &list, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return;
            for (QAction* action : menu->actions()) {
                entries.emplace_back(action->text(), action->isEnabled());
                if (action->text() == entry) menu->setActiveAction(action);
            }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        Click(row, Qt::RightButton);
        QContextMenuEvent event(QContextMenuEvent::Mouse, At(row),
                                list.viewport()->mapToGlobal(At(row)));
        QApplication::sendEvent(list.viewport(), &event);
        return entries;
    }

    qor::MessageList list;
};

TEST_F(MessageListTest, CtrlCCopiesTheCurrentLineAndAfterCtrlAEveryLine) {
    ShowActive();
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "before") << "nothing selected, nothing copied";

    Click(2);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), kLines[2]);

    for (int i = 0; i < 100; ++i) list.AppendLine(QString::number(i));
    Press(Qt::Key_A, Qt::ControlModifier);
    list.AppendLine("after Ctrl+A");
    EXPECT_EQ(list.FirstVisibleRow(), 0) << "neither selecting nor appending scrolls";
    Press(Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = Clipboard().split('\n');
    ASSERT_EQ(copied.size(), 103);
    EXPECT_EQ(copied.mid(0, 3), kLines);
    EXPECT_EQ(copied.back(), "99");

    // Moving on ends the selection of all.
    Press(Qt::Key_Down);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "0");
}

TEST_F(MessageListTest, ContextMenuCopiesTheSelectionOrEveryLine) {
    ShowActive();
    using Entries = std::vector<std::pair<QString, bool>>;
    EXPECT_EQ(ChooseFromMenu(0, "复制"), (Entries{{"复制", true}, {"全部复制", true}}));
    EXPECT_EQ(Clipboard(), kLines[0]);
    EXPECT_EQ(list.CurrentRow(), 0) << "the right click picked the line";

    ChooseFromMenu(2, "全部复制");
    EXPECT_EQ(Clipboard(), kLines.join('\n'));

    // A right click inside a selection of all keeps it.
    Press(Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    ChooseFromMenu(1, "复制");
    EXPECT_EQ(Clipboard(), kLines.join('\n'));
}

TEST_F(MessageListTest, OnlyALineCutOffShowsAsATooltip) {
    const QString longLine = "无法加载读卡器库：" + QString(100, 'x') + " <b>&";
    list.AppendLine(longLine);
    ShowActive();
    const auto hover = [this](int row) {
        QHelpEvent help(QEvent::ToolTip, At(row), list.viewport()->mapToGlobal(At(row)));
        QApplication::sendEvent(list.viewport(), &help);
    };
    hover(0);
    EXPECT_FALSE(QToolTip::isVisible());
    hover(3);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(longLine.toHtmlEscaped()));
    QToolTip::hideText();
}

TEST_F(MessageListTest, ScreenReadersSeeOneItemPerLine) {
    ShowActive();
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->role(), QAccessible::List);
    ASSERT_EQ(tree->childCount(), 3);
    for (int row = 0; row < 3; ++row) {
        QAccessibleInterface* item = tree->child(row);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), kLines[row]);
        EXPECT_EQ(item->parent(), tree);
        EXPECT_EQ(tree->indexOfChild(item), row);
        EXPECT_EQ(tree->child(row), item) << "one interface per line, kept";
    }
    const QPoint centre = list.viewport()->mapToGlobal(At(2));
    EXPECT_EQ(tree->childAt(centre.x(), centre.y()), tree->child(2));

    EXPECT_EQ(tree->focusChild(), nullptr) << "no current line yet";
    Click(1);
    ASSERT_NE(tree->focusChild(), nullptr);
    EXPECT_EQ(tree->focusChild(), tree->child(1));
    EXPECT_TRUE(tree->child(1)->state().focused);
    EXPECT_FALSE(tree->child(0)->state().focused);
}

// What the update handler saw of the list: each event's type and the name
// of the line it is about.
std::vector<std::pair<QAccessible::Event, QString>> seen;
const QObject* watched = nullptr;

void Record(QAccessibleEvent* event) {
    if (event->object() != watched || event->child() < 0) return;
    QAccessibleInterface* item = event->accessibleInterface();
    seen.emplace_back(event->type(), item != nullptr ? item->text(QAccessible::Name) : "?");
}

TEST_F(MessageListTest, ScreenReadersAreToldOfEachNewLineAndTheFocus) {
    ShowActive();
    if (!SwitchAccessibility(true)) GTEST_SKIP() << "built without Qt's private headers";
    struct Restore {
        QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&Record);
        ~Restore() {
            QAccessible::installUpdateHandler(previous);
            SwitchAccessibility(false);
        }
    } restore;
    seen.clear();
    watched = &list;

    list.AppendLine("关闭串口成功");
    Click(3);
    using Events = std::vector<std::pair<QAccessible::Event, QString>>;
    EXPECT_EQ(seen, (Events{{QAccessible::ObjectCreated, "关闭串口成功"},
                            {QAccessible::Focus, "关闭串口成功"}}));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&list)->childCount(), 4);
}

}  // namespace
