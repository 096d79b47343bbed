#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace qor {

// Conversion between UTF-8 and one 8-bit code page (multi-byte ones such as
// CP936 included), through the platform's own converter.
class CodePage {
public:
    // `name` is "CP<number>" (CP936), "UTF-8", "ASCII", or on Linux any name
    // iconv knows; a name the platform does not know falls back to ASCII.
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
    struct Converter;  // the platform's
    std::unique_ptr<Converter> converter_;
};

}  // namespace qor
