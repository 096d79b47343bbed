#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "code_page.h"
#include "reader_library.h"
#include "reader_view.h"
#include "scratch_region.h"
#include "system_locale.h"

namespace qor {

// The values that live as long as the window. The library writes into
// CardSnBuf and ReadCardAux, so each sits at the start of scratch memory of
// its own with room to spare after it: a library that writes past either
// reaches nothing else of the program's.
class ReaderState {
public:
    static constexpr std::size_t kCardSnSize = 11;
    // A vendor's library may write a whole buffer of its own idea of the
    // size; a page is more than any has been seen to.
    static constexpr std::size_t kRoomToSpare = 4096;

    std::int32_t ComStatus = 0;  // result of the last open or close

    std::span<unsigned char, kCardSnSize> CardSnBuf() const noexcept {
        return cardSn_.Bytes().first<kCardSnSize>();
    }
    // The first 4 bytes of its region, the library's; the rest of the region
    // is left as the library leaves it.
    std::int32_t& ReadCardAux() const noexcept {
        return *reinterpret_cast<std::int32_t*>(aux_.Bytes().data());
    }

private:
    ScratchRegion cardSn_{kCardSnSize + kRoomToSpare};
    ScratchRegion aux_{sizeof(std::int32_t) + kRoomToSpare};
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
    // Once in the controller's life: a window that goes by several routes at
    // once (closed, then destroyed) still lets the port go exactly once.
    void ShutdownPort() noexcept;

    const ReaderState& State() const noexcept { return state_; }

private:
    // One library call, with the window showing that it waits for it.
    template <typename Call>
    std::int32_t WhileBusy(Call call) noexcept;
    // Logs why the last call could not reach the library; true if it could not.
    bool ReportBindFailure();

    ReaderLibrary& library_;
    ReaderView& view_;
    CodePage codePage_;
    std::string decimalSeparator_;
    ReaderState state_;
    bool shutDown_ = false;
};

}  // namespace qor
