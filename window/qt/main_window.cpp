#include "main_window.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "control_table.h"
#include "message_list.h"

namespace qor {
namespace {

using window::ControlKind;
using window::ControlRow;

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QFont WindowFont() {
    QStringList families;
    for (std::string_view family : window::kWindowFontFamilies) families << ToQString(family);
    QFont font(families);
    font.setPointSizeF(window::kWindowFontPoints);
    font.setWeight(QFont::Normal);
    // Label6's private-use character is in no font, and looking for it sends
    // Qt through every fallback face: megabytes of font file mapped for a box.
    // A Song face, once found, has every other character of the window, so
    // then nothing is looked for elsewhere; without one, fallback stays on.
    if (families.contains(QFontInfo(font).family())) font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

QFont OwnFont() {
    QFont font(ToQString(window::kOwnFontFamily));
    font.setPointSizeF(window::kOwnFontPoints);
    font.setWeight(QFont::Normal);
    return font;
}

QWidget* MakeControl(const ControlRow& row, QWidget* container, QCompleter& noCompletion) {
    const QString text = ToQString(row.text);
    switch (row.kind) {
        case ControlKind::Frame: return new QGroupBox(text, container);
        case ControlKind::Label: {
            auto* label = new QLabel(text, container);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(container);
            // Typed text must reach the commands as typed: inline completion
            // would turn "COM" into "COM1" and, on leaving the box, swap a text
            // for an entry differing only in case. A line edit that arrives with
            // a completer spares QComboBox building one only to drop it, and
            // setLineEdit, unlike setEditable, does not build the popup early.
            auto* edit = new QLineEdit(combo);
            edit->setCompleter(&noCompletion);
            combo->setLineEdit(edit);
            combo->setCompleter(nullptr);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(text);
            // A chosen entry longer than the box shows its start, as the
            // original did, not its end where Qt leaves the cursor.
            QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                             [combo] { combo->lineEdit()->setCursorPosition(0); });
            return combo;
        }
        case ControlKind::TextBox: return new QLineEdit(text, container);
        case ControlKind::Button: {
            auto* button = new QPushButton(text, container);
            // Enter must click nothing: the window has no default button.
            button->setAutoDefault(false);
            button->setDefault(false);
            return button;
        }
        case ControlKind::ListBox: return new MessageList(container);
    }
    Q_UNREACHABLE();
}

QRect PixelRect(const ControlRow& row) {
    return {window::TwipsToPixels(row.left), window::TwipsToPixels(row.top),
            window::TwipsToPixels(row.width), window::TwipsToPixels(row.height)};
}

bool TakesFocus(const ControlRow& row) {
    return row.kind != ControlKind::Frame && row.kind != ControlKind::Label;
}

std::string_view View(const QByteArray& utf8) {
    return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
}

// A combo box's selected position: the entry whose text is exactly the shown
// text, or -1 once the operator has typed something that is no entry.
std::int32_t Position(const QComboBox& combo) {
    return combo.findText(combo.currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

}  // namespace

Form1::Form1(ReaderLibrary& library)
    : controller_(library, *this), staleInput_(StaleInputForThisDisplay()) {
    setObjectName(ToQString(window::kWindowName));
    setWindowTitle(ToQString(window::kCaption));
    setFont(WindowFont());
    setFixedSize(window::TwipsToPixels(window::kClientWidthTwips),
                 window::TwipsToPixels(window::kClientHeightTwips));
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));

    BuildControls();
    SelectDefaults();
    ChainTabOrder();
    Wire();
}

// A window destroyed without having been closed has still gone away: the
// port must be released all the same.
Form1::~Form1() { controller_.ShutdownPort(); }

template <typename Widget>
Widget* Form1::Control(window::ControlName name) const {
    return qobject_cast<Widget*>(controls_[name.row]);
}

void Form1::BuildControls() {
    const QFont windowFont = font();  // set in the constructor; resolving it again is not free
    const QFont ownFont = OwnFont();
    QCompleter noCompletion;
    for (std::size_t i = 0; i < window::kControls.size(); ++i) {
        const ControlRow& row = window::kControls[i];
        const std::size_t container = window::kContainerRows[i];
        QWidget* control = MakeControl(
            row, container == window::kNoRow ? this : controls_[container], noCompletion);
        controls_[i] = control;
        control->setObjectName(ToQString(row.name));
        // Most controls inherit the window font from their container; only
        // those in Frame2, which keeps a font of its own, need it set. A
        // needless setFont is not free: a combo box builds its popup for it.
        const QFont& font = (row.traits & window::kOwnFont) != 0 ? ownFont : windowFont;
        if (control->font() != font) control->setFont(font);
        control->setGeometry(PixelRect(row));
        control->setEnabled((row.traits & window::kStartsDisabled) == 0);
    }
    for (const window::ListRow& list : window::kLists) {
        auto* combo = Control<QComboBox>(list.control);
        for (std::string_view entry : list.entries) combo->addItem(ToQString(entry), 0);
    }

    cboPort_ = Control<QComboBox>("cboPort");
    cboBaudRate_ = Control<QComboBox>("cboBaudRate");
    edCardType_ = Control<QComboBox>("edCardType");
    edCodeType_ = Control<QComboBox>("edCodeType");
    cmdOpenCom_ = Control<QPushButton>("cmdOpenCom");
    cmdCloseCom_ = Control<QPushButton>("cmdCloseCom");
    btnReadCard_ = Control<QPushButton>("btnReadCard");
    edCardSn_ = Control<QLineEdit>("edCardSn");
    edMsg_ = Control<MessageList>("edMsg");
}

void Form1::SelectDefaults() {
    for (const window::ListRow& list : window::kLists) {
        Control<QComboBox>(list.control)->setCurrentIndex(list.defaultPosition);
    }
}

void Form1::ChainTabOrder() {
    std::vector<std::size_t> stops;
    for (std::size_t i = 0; i < window::kControls.size(); ++i) {
        if (TakesFocus(window::kControls[i])) stops.push_back(i);
    }
    std::ranges::stable_sort(stops, {},
                             [](std::size_t i) { return window::kControls[i].tabIndex; });

    std::vector<QWidget*> chain;
    for (std::size_t row : stops) chain.push_back(controls_[row]);
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
    // Focus starts on the lowest tab index, as it does for the original.
    chain.front()->setFocus();
}

void Form1::Wire() {
    connect(cmdOpenCom_, &QPushButton::clicked, this, [this] {
        const QByteArray port = cboPort_->currentText().toUtf8();
        const QByteArray baud = cboBaudRate_->currentText().toUtf8();
        controller_.OpenPort(View(port), View(baud));
    });
    connect(cmdCloseCom_, &QPushButton::clicked, this, [this] { controller_.ClosePort(); });
    connect(btnReadCard_, &QPushButton::clicked, this,
            [this] { controller_.ReadCardNumber(Position(*edCardType_), Position(*edCodeType_)); });
}

void Form1::SetOpenComEnabled(bool enabled) { cmdOpenCom_->setEnabled(enabled); }

void Form1::SetCloseComEnabled(bool enabled) { cmdCloseCom_->setEnabled(enabled); }

void Form1::SetCardSn(std::string_view text) { edCardSn_->setText(ToQString(text)); }

// No scrolling here: the view stays where the operator left it.
void Form1::AppendLog(std::string_view line) { edMsg_->AppendLine(ToQString(line)); }

void Form1::OnBusyChanged(std::function<void(bool)> observer) {
    busyChanged_ = std::move(observer);
}

void Form1::SetBusy(bool busy) {
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        // The thread blocks next, and would show the cursor only afterwards.
        staleInput_->Flush();
        if (busyChanged_) busyChanged_(true);
    } else {
        if (busyChanged_) busyChanged_(false);
        QGuiApplication::restoreOverrideCursor();
        staleInput_->DropUntilNow(*this);
    }
}

// The window always closes: nothing here may refuse it.
void Form1::closeEvent(QCloseEvent* event) {
    controller_.ShutdownPort();
    event->accept();
}

}  // namespace qor
