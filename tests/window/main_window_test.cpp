#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "control_table.h"
#include "fake_library.h"
#include "main_window.h"
#include "message_lines.h"
#include "queued_input.h"

namespace {

using qor::window::ControlKind;

QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

class WindowTest : public ::testing::Test {
protected:
    template <typename Widget = QWidget>
    Widget* Find(std::string_view name) const {
        auto* widget = form->findChild<Widget*>(Q(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* Combo(std::string_view name) const { return Find<QComboBox>(name); }
    QPushButton* Button(std::string_view name) const { return Find<QPushButton>(name); }
    qor::MessageList* Log() const { return Find<qor::MessageList>("edMsg"); }

    void Click(std::string_view button) { QTest::mouseClick(Button(button), Qt::LeftButton); }

    // Replaces a combo box's text the way an operator does: select it all
    // and type over it.
    void Type(std::string_view combo, const QString& text) {
        QLineEdit* edit = Combo(combo)->lineEdit();
        // With focus, as the operator has it, so completion could interfere.
        Combo(combo)->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        // keyClicks knows only ASCII keys; Chinese arrives as an input
        // method would hand it over, all at once.
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            QTest::keyClicks(edit, text);
        } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
        }
    }

    void ShowActive() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    FakeLibrary library;
    std::unique_ptr<qor::Form1> form = std::make_unique<qor::Form1>(library);
};

// --- what the window is made of ---------------------------------------------

const char* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame: return "QGroupBox";
        case ControlKind::Label: return "QLabel";
        case ControlKind::ComboBox: return "QComboBox";
        case ControlKind::TextBox: return "QLineEdit";
        case ControlKind::Button: return "QPushButton";
        case ControlKind::ListBox: return "qor::MessageList";
    }
    return "";
}

TEST_F(WindowTest, EveryRowOfTheTableIsOneControlInItsPlace) {
    for (const auto& row : qor::window::kControls) {
        SCOPED_TRACE(std::string(row.name));
        const auto found = form->findChildren<QWidget*>(Q(row.name));
        ASSERT_EQ(found.size(), 1);
        QWidget* control = found.front();
        EXPECT_STREQ(control->metaObject()->className(), ClassOf(row.kind));
        EXPECT_EQ(control->parentWidget()->objectName(), Q(row.container));
        using qor::window::TwipsToPixels;
        EXPECT_EQ(control->geometry(), QRect(TwipsToPixels(row.left), TwipsToPixels(row.top),
                                             TwipsToPixels(row.width), TwipsToPixels(row.height)));

        QString shown;
        if (auto* frame = qobject_cast<QGroupBox*>(control)) shown = frame->title();
        if (auto* label = qobject_cast<QLabel*>(control)) shown = label->text();
        if (auto* button = qobject_cast<QPushButton*>(control)) shown = button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) shown = edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(control)) shown = combo->currentText();
        if (row.kind != ControlKind::ComboBox || !row.text.empty()) {
            EXPECT_EQ(shown, Q(row.text));
        }
        EXPECT_FALSE(shown.contains('&')) << "no access keys";

        if (row.kind == ControlKind::Frame || row.kind == ControlKind::Label) {
            EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
        }
        if (row.name != "Frame2") {
            EXPECT_EQ(control->font().families().value(0), QString("宋体"));
            EXPECT_EQ(control->font().pointSizeF(), 9.0);
        }
    }
}

TEST_F(WindowTest, WindowControlsAndTextsAreTheOriginalOnes) {
    EXPECT_EQ(form->objectName(), "Form1");
    EXPECT_EQ(form->windowTitle(), QString("QOR系列发卡器开发演示程序"));
    EXPECT_EQ(form->size(), QSize(586, 363));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "not resizable";

    EXPECT_EQ(Find("Frame1")->geometry(), QRect(8, 8, 537, 97));
    EXPECT_EQ(Find("cboPort")->geometry(), QRect(80, 24, 89, 20));
    EXPECT_EQ(Find("cmdCloseCom")->geometry(), QRect(416, 56, 89, 25));
    EXPECT_EQ(Find("Frame3")->geometry(), QRect(8, 48, 513, 89));
    EXPECT_EQ(Find("Frame3")->parentWidget()->objectName(), "Frame2");
    EXPECT_EQ(Find("edCodeType")->geometry(), QRect(96, 56, 193, 20));
    EXPECT_EQ(Find("edMsg")->geometry(), QRect(8, 248, 545, 100));
    EXPECT_EQ(Find("edMsg")->parentWidget(), form.get());

    EXPECT_EQ(Find<QLabel>("Label6")->text(), QString("通讯超时") + QChar(0xE1A0));
    EXPECT_EQ(Find<QLabel>("Label8")->text(), QString("校验") + QChar(0x67C6));
    EXPECT_EQ(Find<QGroupBox>("Frame3")->title(), QString("维根输出格式及取卡方法"));
    EXPECT_EQ(Button("btnReadCard")->text(), QString("读卡号"));
}

// Its children, like every other control, use the window font: checked above.
TEST_F(WindowTest, Frame2KeepsItsOwnFont) {
    auto* frame2 = Find<QGroupBox>("Frame2");
    EXPECT_TRUE(frame2->title().isEmpty());
    EXPECT_EQ(frame2->font().family(), "MS Sans Serif");
    EXPECT_EQ(frame2->font().pointSizeF(), 8.25);
    // Whatever face stands in for 宋体 must be a CJK one: the labels are Chinese.
    EXPECT_TRUE(QFontMetrics(Find("Label1")->font()).inFont(QChar(0x8BFB)));
}

TEST_F(WindowTest, ListsHoldTheirEntriesAndStartOnTheDefaults) {
    for (const auto& list : qor::window::kLists) {
        SCOPED_TRACE(std::string(list.control.Name()));
        QComboBox* combo = Combo(list.control.Name());
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
        ASSERT_EQ(combo->count(), static_cast<int>(list.entries.size()));
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_EQ(combo->itemText(i), Q(list.entries[static_cast<std::size_t>(i)]));
            EXPECT_EQ(combo->itemData(i), QVariant(0));
        }
    }
    EXPECT_EQ(Combo("cboBaudRate")->itemText(3), "38400");
    EXPECT_EQ(Combo("cboParity")->itemText(4), QString("4-空格校验(Space)"));
    EXPECT_EQ(Combo("edCodeType")->itemText(5), QString("5-除去校验位,取低位5字节"));

    EXPECT_EQ(Combo("cboPort")->currentText(), "COM1");
    EXPECT_EQ(Combo("cboBaudRate")->currentText(), "9600");
    EXPECT_EQ(Combo("cboParity")->currentText(), QString("0-无校验(No)"));
    EXPECT_EQ(Combo("edCardType")->currentText(), QString("2-支持44BIT"));
    EXPECT_EQ(Combo("edCodeType")->currentText(), QString("3-除去校验位,取低位3字节,高位补0"));
    // A long entry is shown from its start.
    EXPECT_EQ(Combo("edCodeType")->lineEdit()->cursorPosition(), 0);

    EXPECT_EQ(Log()->Count(), 0);
    EXPECT_TRUE(Find<QLineEdit>("edCardSn")->text().isEmpty());
    EXPECT_EQ(Find<QLineEdit>("txtDelay")->text(), "500");
}

TEST_F(WindowTest, ButtonsStartClosedAndNoneIsTheDefault) {
    EXPECT_TRUE(Button("cmdOpenCom")->isEnabled());
    EXPECT_FALSE(Button("cmdCloseCom")->isEnabled());
    EXPECT_TRUE(Button("btnReadCard")->isEnabled());
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    }
}

TEST_F(WindowTest, ShowsCentredOnTheScreen) {
    form->show();
    const QPoint centre = form->screen()->availableGeometry().center();
    EXPECT_LE((form->geometry().center() - centre).manhattanLength(), 1);
}

// Sharp and whole at the screen's scale: drawn at that scale (QOR_TEST_SCALE
// names the one expected), every caption in full in its control, and the
// longest number the box shows fits it.
TEST_F(WindowTest, EveryTextShowsWholeAtTheScreensScale) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    if (const char* scale = std::getenv("QOR_TEST_SCALE")) {
        EXPECT_EQ(form->devicePixelRatio(), std::stod(scale));
    }
    for (const auto& row : qor::window::kControls) {
        SCOPED_TRACE(std::string(row.name));
        QWidget* control = Find(row.name);
        if (row.kind == ControlKind::Label || row.kind == ControlKind::Button) {
            EXPECT_LE(control->sizeHint().width(), control->width());
            EXPECT_LE(control->fontMetrics().height(), control->height());
        }
        if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            EXPECT_LT(frame->fontMetrics().horizontalAdvance(frame->title()), frame->width());
        }
    }
    auto* number = Find<QLineEdit>("edCardSn");
    number->setText("0000B2C3D4");
    EXPECT_LE(
        number->minimumSizeHint().width() + number->fontMetrics().horizontalAdvance(number->text()),
        number->width());
}

// --- focus ------------------------------------------------------------------

QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString("(none)");
}

QStringList FollowTab(int presses) {
    QStringList visited{FocusName()};
    for (int i = 0; i < presses && QApplication::focusWidget() != nullptr; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << FocusName();
    }
    return visited;
}

TEST_F(WindowTest, TabRunsByTabIndexAndSkipsDisabledButtons) {
    ShowActive();
    EXPECT_EQ(FollowTab(10),
              QStringList({"edMsg", "cboParity", "cboBaudRate", "txtDelay", "cboPort", "cmdOpenCom",
                           "edCardSn", "btnReadCard", "edCardType", "edCodeType", "edMsg"}));

    Click("cmdOpenCom");
    Log()->setFocus();
    EXPECT_EQ(FollowTab(10), QStringList({"edMsg", "cboParity", "cboBaudRate", "txtDelay",
                                          "cboPort", "cmdCloseCom", "edCardSn", "btnReadCard",
                                          "edCardType", "edCodeType", "edMsg"}));
}

// --- clicks reach the reader library ----------------------------------------

TEST_F(WindowTest, OpenAndCloseWithTheDefaults) {
    Click("cmdOpenCom");
    ASSERT_EQ(library.opens.size(), 1u);
    EXPECT_EQ(library.opens[0], (FakeLibrary::Open{"COM1", 9600}));
    EXPECT_EQ(Lines(*Log()), QStringList({"打开串口成功", ""}));
    EXPECT_FALSE(Button("cmdOpenCom")->isEnabled());
    EXPECT_TRUE(Button("cmdCloseCom")->isEnabled());

    Click("cmdCloseCom");
    EXPECT_EQ(library.closes, 1);
    EXPECT_EQ(Lines(*Log()), QStringList({"打开串口成功", "", "关闭串口成功", ""}));
    EXPECT_TRUE(Button("cmdOpenCom")->isEnabled());
    EXPECT_FALSE(Button("cmdCloseCom")->isEnabled());
}

TEST_F(WindowTest, OpenTakesTheTextsAsTyped) {
    ShowActive();
    // A typed prefix of an entry is not completed to that entry.
    library.openResult = -2;
    Type("cboPort", "COM");
    QTest::keyClick(Combo("cboPort")->lineEdit(), Qt::Key_Return);
    Type("cboBaudRate", "abc");
    Click("cmdOpenCom");
    EXPECT_TRUE(Button("cmdOpenCom")->isEnabled()) << "a failed open leaves the buttons";
    EXPECT_FALSE(Button("cmdCloseCom")->isEnabled());

    library.openResult = 1;
    Type("cboPort", " COM5 ");
    Type("cboBaudRate", "19200 ");
    Click("cmdOpenCom");

    EXPECT_EQ(library.opens, (std::vector<FakeLibrary::Open>{{"COM", 9600}, {"COM5", 19200}}));
    EXPECT_EQ(Lines(*Log()), QStringList({"打开串口失败", "", "打开串口成功", ""}));
    EXPECT_EQ(Combo("cboPort")->count(), 2) << "typed texts never become entries";
}

TEST_F(WindowTest, ReadShowsTheCardNumberOverWhatWasTyped) {
    auto* cardSn = Find<QLineEdit>("edCardSn");
    QTest::keyClicks(cardSn, "typed");
    EXPECT_EQ(cardSn->text(), "typed");

    library.SetCard("0000B2C3D4");
    Click("btnReadCard");
    library.SetCard("00000000FF");
    Click("btnReadCard");

    EXPECT_EQ(library.ReadTypes(),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{2, 3}, {2, 3}}));
    EXPECT_EQ(cardSn->text(), "00000000FF");
    EXPECT_EQ(Lines(*Log()), QStringList({"读取卡号：0000B2C3D4", "读取卡号：00000000FF"}));
}

TEST_F(WindowTest, ReadPassesThePositionOfExactlyTheShownText) {
    ShowActive();
    Type("edCardType", "2-支持44bit");               // differs only in case
    Type("edCodeType", "5-除去校验位,取低位5字节");  // typed, but an entry
    Click("btnReadCard");
    Combo("edCardType")->setCurrentIndex(0);
    Type("edCodeType", "");
    Click("btnReadCard");

    EXPECT_EQ(library.ReadTypes(),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{-1, 5}, {0, -1}}));
}

// Only X tells which input came before a call ended, so this one runs on
// X, with clicks that go through the X server as an operator's do.
TEST_F(WindowTest, InputMadeWhileALibraryCallRunsIsDropped) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs X";
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QPushButton* read = Button("btnReadCard");
    const QPoint at = read->mapToGlobal(read->rect().center());
    const std::string click =
        "xdotool mousemove " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1";
    const auto readsAfter = [this](std::size_t expected) {
        for (int i = 0; i < 100 && library.reads.size() < expected; ++i) QTest::qWait(20);
        QTest::qWait(100);  // and nothing more comes
        return library.reads.size();
    };

    Qt::CursorShape during = Qt::ArrowCursor;
    bool clicked = false;
    library.onRead = [&](std::int32_t&, unsigned char*) {
        if (std::exchange(clicked, true)) return 0;
        if (const QCursor* cursor = QGuiApplication::overrideCursor()) during = cursor->shape();
        EXPECT_EQ(std::system((click + " click 1").c_str()), 0);
        return 0;
    };
    Click("btnReadCard");
    EXPECT_EQ(readsAfter(3), 1u) << "clicks made during the read ran afterwards";
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    ASSERT_EQ(std::system(click.c_str()), 0);
    EXPECT_EQ(readsAfter(2), 2u) << "a click after the read must count";
}

// A control that takes touch itself, as a scrolling view may: touch that
// reaches no such control comes to the window again as a click.
class TouchTarget final : public QWidget {
public:
    using QWidget::QWidget;
    int touches = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::TouchBegin && event->type() != QEvent::TouchEnd)
            return QWidget::event(event);
        ++touches;
        event->accept();
        return true;
    }
};

// What a display system that brings in the input made during a call only
// when asked (Wayland) has queued once it has been asked: each kind of input
// would read a card, change a list or touch a control if it got through, and
// the close must wait for the event loop.
TEST_F(WindowTest, QueuedInputIsDroppedAndAQueuedCloseWaitsForTheEventLoop) {
    ShowActive();
    QWindow* window = form->windowHandle();
    QPushButton* read = Button("btnReadCard");
    read->setFocus();
    const auto pointAt = [this](QWidget* control) {
        const QPoint centre = control->rect().center();
        return std::pair<QPointF, QPointF>(control->mapTo(form.get(), centre),
                                           control->mapToGlobal(centre));
    };
    const auto [onRead, onReadGlobal] = pointAt(read);
    const auto [onList, onListGlobal] = pointAt(Combo("edCardType"));
    TouchTarget touchTarget(form.get());
    touchTarget.setAttribute(Qt::WA_AcceptTouchEvents);
    touchTarget.setGeometry(0, 0, 20, 20);
    touchTarget.show();
    const QPointF onTouchTargetGlobal = pointAt(&touchTarget).second;

    QWindowSystemInterface::handleMouseEvent(window, onRead, onReadGlobal, Qt::LeftButton,
                                             Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent(window, onRead, onReadGlobal, Qt::NoButton,
                                             Qt::LeftButton, QEvent::MouseButtonRelease);
    QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier,
                                           " ");
    QWindowSystemInterface::handleKeyEvent(window, QEvent::KeyRelease, Qt::Key_Space,
                                           Qt::NoModifier, " ");
    QWindowSystemInterface::handleWheelEvent(window, onList, onListGlobal, QPoint(),
                                             QPoint(0, -120));
    const std::unique_ptr<QPointingDevice> touchScreen(QTest::createTouchDevice());
    QWindowSystemInterface::TouchPoint touch;
    touch.id = 1;
    touch.area = QRectF(onTouchTargetGlobal - QPointF(2, 2), QSizeF(4, 4));
    touch.pressure = 1;
    for (QEventPoint::State state : {QEventPoint::State::Pressed, QEventPoint::State::Released}) {
        touch.state = state;
        QWindowSystemInterface::handleTouchEvent(window, touchScreen.get(), {touch});
    }
    QWindowSystemInterface::handleCloseEvent(window);

    qor::DeliverQueuedEventsDroppingInput();
    EXPECT_TRUE(library.reads.empty()) << "a click, a key or a touch read a card";
    EXPECT_EQ(Combo("edCardType")->currentIndex(), 2) << "the wheel turned the list";
    EXPECT_EQ(touchTarget.touches, 0);
    EXPECT_TRUE(form->isVisible()) << "closed in the middle of the command";
    EXPECT_EQ(library.closes, 0);

    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(library.closes, 1);
}

// --- closing ----------------------------------------------------------------

TEST_F(WindowTest, ClosingReleasesThePortExactlyOnce) {
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(library.closes, 1);
    form->close();
    form.reset();
    EXPECT_EQ(library.closes, 1);
}

TEST_F(WindowTest, ClosingAfterClosePortReleasesAgain) {
    form->show();
    Click("cmdOpenCom");
    Click("cmdCloseCom");
    EXPECT_EQ(library.closes, 1);
    form->close();
    EXPECT_EQ(library.closes, 2);
}

TEST_F(WindowTest, DestroyingAnUnclosedWindowReleasesThePort) {
    form.reset();
    EXPECT_EQ(library.closes, 1);
}

// --- the message list -------------------------------------------------------

TEST_F(WindowTest, AppendingLeavesTheViewWhereItWas) {
    ShowActive();
    qor::MessageList* log = Log();
    for (int i = 0; i < 200; ++i) form->AppendLog("line");
    QCoreApplication::processEvents();
    QScrollBar* bar = log->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the list must have overflowed";
    EXPECT_EQ(log->FirstVisibleRow(), 0);

    bar->setValue(bar->maximum() / 2);
    const int top = log->FirstVisibleRow();
    ASSERT_GT(top, 0);
    for (int i = 0; i < 200; ++i) form->AppendLog("more");
    QCoreApplication::processEvents();
    EXPECT_EQ(log->FirstVisibleRow(), top);
}

TEST_F(WindowTest, OperatorCanPickAndBrowseLines) {
    ShowActive();
    qor::MessageList* log = Log();
    for (int i = 0; i < 50; ++i) form->AppendLog(std::to_string(i));
    EXPECT_EQ(log->CurrentRow(), -1);

    const int rowHeight = log->fontMetrics().height() + 2;
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, QPoint(5, 2 * rowHeight + 1));
    EXPECT_EQ(log->CurrentRow(), 2);
    QTest::keyClick(log, Qt::Key_Down);
    EXPECT_EQ(log->CurrentRow(), 3);
    // Browsing to the end scrolls as far as needed to show the line.
    QTest::keyClick(log, Qt::Key_End);
    EXPECT_EQ(log->CurrentRow(), 49);
    EXPECT_EQ(log->FirstVisibleRow(), log->verticalScrollBar()->maximum());
    QTest::keyClick(log, Qt::Key_Home);
    EXPECT_EQ(log->CurrentRow(), 0);
    EXPECT_EQ(log->FirstVisibleRow(), 0);
}

}  // namespace
