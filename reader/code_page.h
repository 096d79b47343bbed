#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qor {

// Conversion between UTF-8 and one 8-bit code page (multi-byte ones such as
// CP936 included), through iconv.
class CodePage {
public:
    // `name` is an iconv name; one iconv does not know falls back to ASCII.
    explicit CodePage(const std::string& name);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    // A character the code page cannot represent, and a NUL inside the
    // text, become '?': nothing is dropped and the C string is never cut short.
    std::string Encode(std::string_view utf8) const;

    // Bytes that do not decode become U+FFFD, one per bad byte; a lead byte
    // without its trail at the end becomes one U+FFFD. Zero bytes become NUL.
    std::string Decode(const unsigned char* bytes, std::size_t size) const;

private:
    void* toCodePage_;  // iconv_t, kept opaque so callers need not see iconv.h
    void* fromCodePage_;
};

// The card number as shown: the buffer decoded whole, the first ten
// characters kept, cut before the first NUL.
std::string CardNumberText(const CodePage& codePage, const std::array<unsigned char, 11>& buffer);

}  // namespace qor
