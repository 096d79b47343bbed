#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include <QWidget>

#include "control_table.h"
#include "reader_controller.h"
#include "reader_library.h"
#include "reader_view.h"
#include "stale_input.h"

class QCloseEvent;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace qor {

class MessageList;

// The program's only window. It builds its controls from the control table,
// hands clicks to the reader commands and shows what they report.
class Form1 final : public QWidget, public ReaderView {
public:
    // `library` must outlive the window: closing or destroying the window
    // still calls into it.
    explicit Form1(ReaderLibrary& library);
    ~Form1() override;

    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void SetOpenComEnabled(bool enabled) override;
    void SetCloseComEnabled(bool enabled) override;
    void SetCardSn(std::string_view text) override;
    void AppendLog(std::string_view line) override;
    void SetBusy(bool busy) override;

    // Told as each library call begins (true) and as soon as it returns.
    void OnBusyChanged(std::function<void(bool busy)> observer);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void SelectDefaults();
    void ChainTabOrder();
    void Wire();

    template <typename Widget>
    Widget* Control(window::ControlName name) const;

    ReaderController controller_;
    std::unique_ptr<StaleInput> staleInput_;
    std::function<void(bool)> busyChanged_;

    std::array<QWidget*, window::kControls.size()> controls_{};  // by row of the table
    QComboBox* cboPort_ = nullptr;
    QComboBox* cboBaudRate_ = nullptr;
    QComboBox* edCardType_ = nullptr;
    QComboBox* edCodeType_ = nullptr;
    QPushButton* cmdOpenCom_ = nullptr;
    QPushButton* cmdCloseCom_ = nullptr;
    QPushButton* btnReadCard_ = nullptr;
    QLineEdit* edCardSn_ = nullptr;
    MessageList* edMsg_ = nullptr;
};

}  // namespace qor
