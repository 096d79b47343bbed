#include "utf8.h"

namespace qor {

std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

std::size_t WellFormedLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t length = Utf8Length(byte(0));
    if (length > text.size()) return 0;
    if (length == 1) return byte(0) < 0x80 ? 1 : 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    const unsigned char lead = byte(0), second = byte(1);
    if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
    if (lead == 0xED && second > 0x9F) return 0;  // surrogate
    if (lead == 0xF0 && second < 0x90) return 0;  // overlong
    if (lead == 0xF4 && second > 0x8F) return 0;  // above U+10FFFF
    return length;
}

char32_t CodePoint(std::string_view sequence) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
    // The lead byte keeps 7, 5, 4 or 3 bits for 1, 2, 3 or 4 bytes.
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = byte(0) & kLeadBits[sequence.size()];
    for (std::size_t i = 1; i < sequence.size(); ++i) codePoint = codePoint << 6 | (byte(i) & 0x3F);
    return codePoint;
}

std::string WellFormed(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = WellFormedLength(text);
        if (length == 0) {
            out += kReplacementCharacter;
            text.remove_prefix(1);
        } else {
            out += text.substr(0, length);
            text.remove_prefix(length);
        }
    }
    return out;
}

}  // namespace qor
