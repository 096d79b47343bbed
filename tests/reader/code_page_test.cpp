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

// Nothing the library sends may act on the screen or pass for what it is
// not: reorder the text, move the caret, break the list's line, hide a
// digit or change how one looks. Printable text stays as it is.
TEST(CardNumberText, ShowsControlsAndFormatCharactersAsReplacements) {
    const std::string f = kFffd;
    for (const CardCase& c : {
             CardCase{"right-to-left override",
                      "\xE2\x80\xAE"
                      "1234567",
                      f + "1234567"},
             CardCase{"line separator",
                      "12\xE2\x80\xA8"
                      "3",
                      "12" + f + "3"},
             // A Hangul filler, a grapheme joiner and a variation selector
             // show nothing at all.
             CardCase{"default-ignorable characters",
                      "1\xE3\x85\xA4"
                      "2\xCD\x8F"
                      "3\xEF\xB8\x8F",
                      "1" + f + "2" + f + "3" + f},
             // U+00A0, U+2000, U+200A and U+3000 pass for a space, U+2800
             // for nothing.
             CardCase{"spaces other than U+0020",
                      "1\xC2\xA0"
                      "2\xE2\x80\x80"
                      "3\xE2\x80\x8A",
                      "1" + f + "2" + f + "3" + f},
             CardCase{"ideographic space and blank Braille",
                      "1\xE3\x80\x80"
                      "2\xE2\xA0\x80"
                      "3",
                      "1" + f + "2" + f + "3"},
             // U+E000 and U+F0000: whatever a font makes of them, often nothing.
             CardCase{"private use",
                      "1\xEE\x80\x80"
                      "2\xF3\xB0\x80\x80",
                      "1" + f + "2" + f},
             // U+20DD rings the digit before it, U+0336 strikes it through,
             // U+0903 joins it.
             CardCase{"combining marks",
                      "1\xE2\x83\x9D"
                      "2\xCC\xB6"
                      "3\xE0\xA4\x83",
                      "1" + f + "2" + f + "3" + f},
             // U+0378: no character yet, so no promise of how it shows.
             CardCase{"unassigned", "1\xCD\xB8", "1" + f},
             CardCase{"the plain space is text", "12 34", "12 34"},
         })
        ExpectShown("UTF-8", c);
    for (const CardCase& c : {
             CardCase{"CR LF", "12\r\n34", "12" + f + f + "34"},
             CardCase{"TAB, BEL, BS", "\t1\a2\b3", f + "1" + f + "2" + f + "3"},
             CardCase{"ESC, DEL", "\x1B[2J\x7F", f + "[2J" + f},
             CardCase{"lone lead byte before a control", "1\xD6\n", "1" + f + f},
             CardCase{"ideographic space",
                      "12\xA1\xA1"
                      "34",
                      "12" + f + "34"},
             CardCase{"Chinese is text", "\xD6\xD0\xCE\xC4", "中文"},
         })
        ExpectShown("CP936", c);
    // CP936's user-defined AA A1 is U+E000 where the converter maps that area
    // (Windows) and a pair that does not decode where it does not (iconv):
    // shown as neither.
    const std::string userDefined = qor::CardNumberText(qor::CodePage("CP936"), Buffer("1\xAA\xA1"
                                                                                       "2"));
    EXPECT_TRUE(userDefined == "1" + f + "2" || userDefined == "1" + f + f + "2") << userDefined;
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
