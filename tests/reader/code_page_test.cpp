#include "card_number.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::array<unsigned char, 11> Buffer(const std::string& bytes) {
    std::array<unsigned char, 11> buffer{};
    std::memcpy(buffer.data(), bytes.data(), std::min(bytes.size(), buffer.size()));
    return buffer;
}

const std::string kFffd = "\xEF\xBF\xBD";

struct CardCase {
    const char* what;
    std::string bytes;  // padded with zeros to 11
    std::string shown;  // UTF-8
};

void ExpectShown(const char* codePage, const CardCase& c) {
    const qor::CodePage page(codePage);
    EXPECT_EQ(qor::CardNumberText(page, Buffer(c.bytes)), c.shown) << codePage << ": " << c.what;
}

TEST(CardNumberText, AsciiCodePage) {
    for (const CardCase& c : {
             CardCase{"ten digits then NUL", "0000B2C3D4", "0000B2C3D4"},
             CardCase{"eleven bytes, first ten shown", "ABCDEFGHIJK", "ABCDEFGHIJ"},
             CardCase{"leading NUL empties it",
                      std::string("\0"
                                  "123",
                                  4),
                      ""},
             CardCase{"cut at an inner NUL",
                      std::string("12\0"
                                  "45",
                                  5),
                      "12"},
             CardCase{"a high byte is not ASCII",
                      "\x80"
                      "1",
                      kFffd + "1"},
         })
        ExpectShown("ASCII", c);
}

TEST(CardNumberText, DoubleByteCodePage) {
    const std::string zhong = "中";  // D6 D0 in CP936
    for (const CardCase& c : {
             CardCase{"ten digits then NUL", "0123456789", "0123456789"},
             CardCase{"double-byte character counts once",
                      "A\xD6\xD0"
                      "12345678",
                      "A" + zhong + "12345678"},
             CardCase{"double-byte as tenth character", "012345678\xD6\xD0", "012345678" + zhong},
             CardCase{"lead byte without trail at the end",
                      "A\xD6\xD0"
                      "1234567\xD6",
                      "A" + zhong + "1234567" + kFffd},
             CardCase{"lead byte at the end past ten characters", "0123456789\xD6", "0123456789"},
             CardCase{"undecodable byte",
                      "12\xFF"
                      "34",
                      "12" + kFffd + "34"},
             CardCase{"leading NUL", std::string("\0\xD6\xD0", 3), ""},
         })
        ExpectShown("CP936", c);
}

// Nothing the library sends may act on the screen: reorder the text, move
// the caret or break the list's line. Printable text stays as it is.
TEST(CardNumberText, ShowsControlsAndFormatCharactersAsReplacements) {
    const std::string f = kFffd;
    ExpectShown("UTF-8", {"right-to-left override",
                          "\xE2\x80\xAE"
                          "1234567",
                          f + "1234567"});
    ExpectShown("UTF-8", {"line separator",
                          "12\xE2\x80\xA8"
                          "3",
                          "12" + f + "3"});
    // A Hangul filler, a grapheme joiner and a variation selector show nothing at all.
    ExpectShown("UTF-8", {"default-ignorable characters",
                          "1\xE3\x85\xA4"
                          "2\xCD\x8F"
                          "3\xEF\xB8\x8F",
                          "1" + f + "2" + f + "3" + f});
    // U+0378: no character yet, so no promise of how it shows.
    ExpectShown("UTF-8", {"unassigned", "1\xCD\xB8", "1" + f});
    for (const CardCase& c : {
             CardCase{"CR LF", "12\r\n34", "12" + f + f + "34"},
             CardCase{"TAB, BEL, BS", "\t1\a2\b3", f + "1" + f + "2" + f + "3"},
             CardCase{"ESC, DEL", "\x1B[2J\x7F", f + "[2J" + f},
             CardCase{"lone lead byte before a control", "1\xD6\n", "1" + f + f},
             CardCase{"Chinese is text", "\xD6\xD0\xCE\xC4", "中文"},
         })
        ExpectShown("CP936", c);
}

TEST(CodePage, EncodesWhatItCanAndMarksWhatItCannot) {
    const qor::CodePage cp936("CP936");
    EXPECT_EQ(cp936.Encode("COM1"), "COM1");
    EXPECT_EQ(cp936.Encode("串口"), "\xB4\xAE\xBF\xDA");
    EXPECT_EQ(cp936.Encode("A\xF0\x9F\x98\x80"
                           "B"),
              "A?B");
    EXPECT_EQ(cp936.Encode("A\xFF"
                           "B"),
              "A?B");                          // not UTF-8 at all
    EXPECT_EQ(cp936.Encode("AB\xE4"), "AB?");  // cut short
    EXPECT_EQ(cp936.Encode(""), "");

    const qor::CodePage ascii("ANSI_X3.4-1968");
    EXPECT_EQ(ascii.Encode("串口COM"), "??COM");
}

TEST(CodePage, UnknownNameFallsBackToAscii) {
    const qor::CodePage page("NO-SUCH-CODE-PAGE");
    EXPECT_EQ(page.Encode("COM1é"), "COM1?");
    EXPECT_EQ(qor::CardNumberText(page, Buffer("0000B2C3D4")), "0000B2C3D4");
}

}  // namespace

namespace {

// Found by fuzzing: iconv's UTF-8 reader lets F5..F7 sequences through, and
// counting characters over them cut one in half.
TEST(CardNumberText, Utf8CodePageNeverYieldsMalformedText) {
    const qor::CodePage page("UTF-8");
    const std::string shown =
        qor::CardNumberText(page, Buffer("\xFF\xFF\x9C\x9C\x9C:\x9C\xF5\x9C\x9C\x9C"));
    EXPECT_EQ(shown, kFffd + kFffd + kFffd + kFffd + kFffd + ":" + kFffd + kFffd + kFffd + kFffd);
    EXPECT_EQ(qor::CardNumberText(page, Buffer("\xED\xA0\x80"
                                               "1")),
              kFffd + kFffd + kFffd + "1");
}

}  // namespace
