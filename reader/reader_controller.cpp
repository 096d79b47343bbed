#include "reader_controller.h"

#include <algorithm>
#include <string>

#include "card_number.h"
#include "message_texts.h"
#include "numeric_text.h"
#include "text_only.h"

namespace qor {
namespace {

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

ReaderController::ReaderController(ReaderLibrary& library, ReaderView& view,
                                   const SystemLocale& locale)
    : library_(library),
      view_(view),
      codePage_(locale.codePage),
      decimalSeparator_(locale.decimalSeparator) {}

template <typename Call>
std::int32_t ReaderController::WhileBusy(Call call) noexcept {
    view_.SetBusy(true);
    const std::int32_t result = call();
    view_.SetBusy(false);
    return result;
}

void ReaderController::OpenPort(std::string_view portText, std::string_view baudText) noexcept {
    const std::int32_t baud = BaudFromText(baudText, decimalSeparator_);
    const std::string port = codePage_.Encode(TrimSpaces(portText));
    state_.ComStatus = WhileBusy([&] { return library_.CROpenCom(port.c_str(), baud); });
    ReportBindFailure();
    if (state_.ComStatus > 0) {
        view_.SetOpenComEnabled(false);
        view_.SetCloseComEnabled(true);
        view_.AppendLog(texts::kPortOpened);
    } else {
        view_.AppendLog(texts::kOpenFailed);
    }
    view_.AppendLog(texts::kBlankLine);
}

void ReaderController::ClosePort() noexcept {
    state_.ComStatus = WhileBusy([&] { return library_.CRCloseCom(); });
    ReportBindFailure();
    // Back to the closed state even when the close failed, so the operator
    // can always try to open again.
    view_.SetOpenComEnabled(true);
    view_.SetCloseComEnabled(false);
    view_.AppendLog(state_.ComStatus >= 0 ? texts::kPortClosed : texts::kCloseFailed);
    view_.AppendLog(texts::kBlankLine);
}

void ReaderController::ReadCardNumber(std::int32_t cardType, std::int32_t codeType) noexcept {
    // A library that writes fewer bytes than last time must not leave the
    // tail of an earlier card behind.
    const std::span<unsigned char, ReaderState::kCardSnSize> sn = state_.CardSnBuf();
    std::ranges::fill(sn, 0);
    const std::int32_t result = WhileBusy(
        [&] { return library_.CRReadCardSN(state_.ReadCardAux(), sn.data(), cardType, codeType); });
    // A read that never reached a library has no result of its own to
    // show: the line logged says why, and the box is emptied.
    if (ReportBindFailure()) {
        view_.SetCardSn("");
        return;
    }
    if (result != 0) {
        // The box must never show a number that was not just read.
        view_.SetCardSn("");
        view_.AppendLog(std::string(texts::kReadFailed) + std::to_string(result));
        return;
    }
    const std::string number = CardNumberText(codePage_, sn);
    view_.SetCardSn(number);
    view_.AppendLog(std::string(texts::kCardRead) + number);
}

void ReaderController::ShutdownPort() noexcept {
    if (shutDown_) return;
    shutDown_ = true;
    state_.ComStatus = WhileBusy([&] { return library_.CRCloseCom(); });
}

// The loader's reason quotes the library's file name and the symbols it
// lacks, which the file's maker chose: shown as text only, as a card number is.
bool ReaderController::ReportBindFailure() {
    const std::string reason = library_.BindFailure();
    if (reason.empty()) return false;
    view_.AppendLog(std::string(texts::kLibraryUnavailable) + TextOnly(reason));
    return true;
}

}  // namespace qor
