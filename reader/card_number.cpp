#include "card_number.h"

#include "text_only.h"
#include "utf8.h"

namespace qor {

std::string CardNumberText(const CodePage& codePage, std::span<const unsigned char, 11> buffer) {
    const std::string decoded = codePage.Decode(buffer.data(), buffer.size());
    constexpr int kShownCharacters = 10;
    std::size_t end = 0;
    for (int shown = 0; shown < kShownCharacters && end < decoded.size(); ++shown) {
        if (decoded[end] == '\0') break;
        end += Utf8Length(static_cast<unsigned char>(decoded[end]));
    }
    return TextOnly(std::string_view(decoded).substr(0, end));
}

}  // namespace qor
