#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qor {

inline constexpr std::int32_t kDefaultBaud = 9600;

// The value of a numeric text: optional blanks at either end, an optional
// sign, digits with an optional decimal part after `decimalSeparator`, and an
// optional exponent. Anything else, the empty text included, is not numeric.
std::optional<double> ParseNumeric(std::string_view text, std::string_view decimalSeparator);

// The baud rate a text stands for: a numeric text rounded to the nearest
// integer, halves to the even one; kDefaultBaud when the text is not numeric
// or its value does not fit a signed 32-bit integer.
std::int32_t BaudFromText(std::string_view text, std::string_view decimalSeparator);

}  // namespace qor
