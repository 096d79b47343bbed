#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "code_page.h"
#include "reader_library.h"
#include "reader_view.h"
#include "system_locale.h"

namespace qor {

// The values that live as long as the window.
struct ReaderState {
    std::int32_t ComStatus = 0;  // result of the last open or close
    std::array<unsigned char, 11> CardSnBuf{};
    std::int32_t ReadCardAux = 0;  // the library's; handed back untouched
};

// The four commands behind the window's events. Each makes one library call
// and reports through the view; none throws.
class ReaderController {
public:
    ReaderController(ReaderLibrary& library, ReaderView& view,
                     const SystemLocale& locale = SystemLocale::FromEnvironment());

    void OpenPort(std::string_view portText, std::string_view baudText) noexcept;
    void ClosePort() noexcept;
    void ReadCardNumber(std::int32_t cardType, std::int32_t codeType) noexcept;
    void ShutdownPort() noexcept;

    const ReaderState& State() const noexcept { return state_; }

private:
    void ReportBindFailure();

    ReaderLibrary& library_;
    ReaderView& view_;
    CodePage codePage_;
    std::string decimalSeparator_;
    ReaderState state_;
};

}  // namespace qor
