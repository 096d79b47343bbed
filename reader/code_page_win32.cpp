#include <windows.h>

#include <algorithm>
#include <cctype>

#include "code_page.h"
#include "utf8.h"
#include "wide_text_win32.h"

namespace qor {
namespace {

// No system code page: plain ASCII, converted here, since Windows' own ASCII
// table (20127) strips the high bit instead of refusing the byte. The mark
// is CP_ACP, free for it because no name asks for the ANSI code page by that
// value: the system locale names it by its number (CPnnn).
constexpr UINT kAsciiByHand = CP_ACP;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

UINT CodePageNumber(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower == "utf-8" || lower == "utf8") return CP_UTF8;
    if (lower.starts_with("cp") && lower.size() > 2 &&
        std::all_of(lower.begin() + 2, lower.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        lower.size() <= 7) {
        const UINT number = static_cast<UINT>(std::stoul(lower.substr(2)));
        if (number == CP_UTF8 || IsValidCodePage(number)) return number;
    }
    return kAsciiByHand;
}

}  // namespace

struct CodePage::Converter {
    UINT codePage;

    // How many bytes the character starting at `lead` takes.
    std::size_t CharacterLength(unsigned char lead) const {
        if (codePage == CP_UTF8) return Utf8Length(lead);
        if (codePage != kAsciiByHand && IsDBCSLeadByteEx(codePage, lead)) return 2;
        return 1;
    }

    // One well-formed UTF-8 character in the code page, or nothing when the
    // code page has no exact form for it (no best-fit look-alikes).
    std::string EncodeCharacter(std::string_view utf8) const {
        if (codePage == CP_UTF8) return std::string(utf8);
        if (codePage == kAsciiByHand)
            return static_cast<unsigned char>(utf8[0]) < 0x80 ? std::string(utf8) : "";
        wchar_t wide[2];
        const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                              static_cast<int>(utf8.size()), wide, 2);
        if (units <= 0) return {};
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, units, bytes,
                                          sizeof bytes, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) return {};
        return std::string(bytes, static_cast<std::size_t>(n));
    }

    // The bytes of one character, or nothing when they do not decode.
    std::string DecodeCharacter(const unsigned char* bytes, std::size_t size) const {
        if (codePage == kAsciiByHand)
            return bytes[0] < 0x80 ? std::string(1, static_cast<char>(bytes[0])) : "";
        wchar_t wide[4];
        const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                              reinterpret_cast<const char*>(bytes),
                                              static_cast<int>(size), wide, 4);
        if (units <= 0) return {};
        const std::string utf8 =
            qorplatform::Narrow(std::wstring_view(wide, static_cast<std::size_t>(units)));
        return utf8.empty() ? std::string(kReplacementCharacter) : utf8;
    }
};

CodePage::CodePage(const std::string& name)
    : converter_(std::make_unique<Converter>(Converter{CodePageNumber(name)})) {}

CodePage::~CodePage() = default;

std::string CodePage::Encode(std::string_view utf8) const {
    std::string out;
    while (!utf8.empty()) {
        const std::size_t length = WellFormedLength(utf8);
        const std::string encoded = (length == 0 || utf8[0] == '\0')
                                        ? std::string()
                                        : converter_->EncodeCharacter(utf8.substr(0, length));
        out += encoded.empty() ? "?" : encoded;
        utf8.remove_prefix(
            length != 0 ? length
                        : std::min(Utf8Length(static_cast<unsigned char>(utf8[0])), utf8.size()));
    }
    return out;
}

std::string CodePage::Decode(const unsigned char* bytes, std::size_t size) const {
    std::string out;
    std::size_t i = 0;
    while (i < size) {
        const std::size_t length = converter_->CharacterLength(bytes[i]);
        if (length > size - i) {
            // A lead byte cut off by the end of the buffer.
            out += kReplacementCharacter;
            break;
        }
        const std::string character = converter_->DecodeCharacter(bytes + i, length);
        if (character.empty()) {
            out += kReplacementCharacter;
            ++i;
        } else {
            out += character;
            i += length;
        }
    }
    return out;
}

}  // namespace qor
