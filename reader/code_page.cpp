#include "code_page.h"

#include <iconv.h>
#include <algorithm>
#include <cerrno>

namespace qor {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

iconv_t Handle(void* h) { return static_cast<iconv_t>(h); }

// Length of the UTF-8 sequence a lead byte starts; 1 for a stray byte, so a
// bad input always makes progress.
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t WellFormedLength(std::string_view text) {
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

// iconv's UTF-8 side is lenient (it passes code points above U+10FFFF, for
// one), so what it produced is checked again before anyone counts on it.
std::string WellFormed(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = WellFormedLength(text);
        if (length == 0) {
            out += kReplacement;
            text.remove_prefix(1);
        } else {
            out += text.substr(0, length);
            text.remove_prefix(length);
        }
    }
    return out;
}

enum class Stop { Done, BadSequence, Truncated };

// One iconv pass until the input is used up or cannot go on; the output
// grows as needed.
Stop Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) {
    for (;;) {
        const std::size_t used = out.size();
        out.resize(used + inLeft * 4 + 16);
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        char* inPtr = const_cast<char*>(in);  // iconv's signature, not a write
        const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        in = inPtr;
        out.resize(out.size() - outLeft);
        if (result != static_cast<std::size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            return Stop::Done;
        }
        if (error == E2BIG) continue;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return error == EINVAL ? Stop::Truncated : Stop::BadSequence;
    }
}

}  // namespace

CodePage::CodePage(const std::string& name) {
    iconv_t to = iconv_open(name.c_str(), "UTF-8");
    iconv_t from = iconv_open("UTF-8", name.c_str());
    if (to == kInvalid || from == kInvalid) {
        if (to != kInvalid) iconv_close(to);
        if (from != kInvalid) iconv_close(from);
        to = iconv_open("ASCII", "UTF-8");
        from = iconv_open("UTF-8", "ASCII");
    }
    toCodePage_ = to;
    fromCodePage_ = from;
}

CodePage::~CodePage() {
    iconv_close(Handle(toCodePage_));
    iconv_close(Handle(fromCodePage_));
}

std::string CodePage::Encode(std::string_view utf8) const {
    std::string text(utf8);
    for (char& c : text)
        if (c == '\0') c = '?';
    const char* in = text.data();
    std::size_t inLeft = text.size();
    std::string out;
    while (Convert(Handle(toCodePage_), in, inLeft, out) != Stop::Done) {
        out += '?';
        const std::size_t skip = std::min(Utf8Length(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
    }
    return out;
}

std::string CodePage::Decode(const unsigned char* bytes, std::size_t size) const {
    const char* in = reinterpret_cast<const char*>(bytes);
    std::size_t inLeft = size;
    std::string out;
    for (;;) {
        const Stop stop = Convert(Handle(fromCodePage_), in, inLeft, out);
        if (stop == Stop::Done) return WellFormed(out);
        out += kReplacement;
        if (stop == Stop::Truncated) return WellFormed(out);
        ++in;
        --inLeft;
    }
}

std::string CardNumberText(const CodePage& codePage, const std::array<unsigned char, 11>& buffer) {
    const std::string decoded = codePage.Decode(buffer.data(), buffer.size());
    constexpr int kShownCharacters = 10;
    std::size_t end = 0;
    for (int shown = 0; shown < kShownCharacters && end < decoded.size(); ++shown) {
        if (decoded[end] == '\0') break;
        end += Utf8Length(static_cast<unsigned char>(decoded[end]));
    }
    return decoded.substr(0, end);
}

}  // namespace qor
