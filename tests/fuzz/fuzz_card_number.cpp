// Whatever a library leaves in the 11-byte buffer must come out as at most
// ten valid characters with no NUL; any port text must go out with no NUL.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "card_number.h"

namespace {

// Counts code points, or -1 when the text is not valid UTF-8.
int CodePoints(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC2 ? 2
                                                  : 0;
        if (length == 0 || i + length > text.size()) return -1;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return -1;
        i += length;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qor::CodePage kPages[] = {qor::CodePage("ANSI_X3.4-1968"), qor::CodePage("CP936"),
                                           qor::CodePage("UTF-8")};
    if (size == 0) return 0;
    const qor::CodePage& page = kPages[data[0] % 3];
    ++data;
    --size;

    std::array<unsigned char, 11> buffer{};
    std::memcpy(buffer.data(), data, std::min(size, buffer.size()));
    const std::string shown = qor::CardNumberText(page, buffer);
    const int characters = CodePoints(shown);
    if (characters < 0 || characters > 10 || shown.find('\0') != std::string::npos) std::abort();

    const std::string port =
        page.Encode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (port.find('\0') != std::string::npos) std::abort();
    return 0;
}
