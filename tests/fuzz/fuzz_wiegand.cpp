// Any frame, bit count, card type and code type: the decoder either writes
// exactly ten uppercase hex digits and a NUL, or writes nothing.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "qorcomm.h"
#include "wiegand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // Out-of-range types are part of the input space, by a few either side.
    const int cardType = static_cast<int>(data[0] % 8) - 2;
    const int codeType = static_cast<int>(data[1] % 10) - 2;
    const int bitCount = data[2];
    const std::span<const std::uint8_t> frame(data + 3, size - 3);

    qorcomm::CardNumberText out;
    out.fill('*');
    const std::int32_t code = qorcomm::DecodeCardNumber(frame, bitCount, cardType, codeType, out);
    if (code == QOR_OK) {
        for (int i = 0; i < 10; ++i) {
            const char c = out[static_cast<std::size_t>(i)];
            if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) std::abort();
        }
        if (out[10] != '\0') std::abort();
    } else {
        for (char c : out)
            if (c != '*') std::abort();
        if (code != QOR_E_ARGUMENT && code != QOR_E_BAD_FRAME && code != QOR_E_PARITY &&
            code != QOR_E_TOO_WIDE)
            std::abort();
    }
    return 0;
}
