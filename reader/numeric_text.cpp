#include "numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace qor {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TakeDigits(std::string_view& rest) {
    std::size_t n = 0;
    while (n < rest.size() && IsDigit(rest[n])) ++n;
    const std::string_view digits = rest.substr(0, n);
    rest.remove_prefix(n);
    return digits;
}

// Where the first significant digit of `whole`.`fraction`e`exponent` sits,
// as a power of ten (saturating); only its sign matters.
long long DecimalMagnitude(std::string_view whole, std::string_view fraction, long long exponent) {
    const std::size_t leading = whole.find_first_not_of('0');
    if (leading != std::string_view::npos)
        return exponent + static_cast<long long>(whole.size() - leading) - 1;
    const std::size_t zeros = fraction.find_first_not_of('0');
    if (zeros == std::string_view::npos) return 0;
    return exponent - static_cast<long long>(zeros) - 1;
}

long long SaturatedExponent(std::string_view digits, bool negative) {
    long long value = 0;
    for (char c : digits) value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
    return negative ? -value : value;
}

// The text has already been checked against the user's separator, so the
// value is read the same on every platform and in every process locale.
// from_chars leaves a value too large or too small for a double unset.
double ToDouble(const std::string& cText, std::string_view whole, std::string_view fraction,
                long long exponent) {
    double value = 0;
    const std::from_chars_result read =
        std::from_chars(cText.data(), cText.data() + cText.size(), value);
    if (read.ec != std::errc::result_out_of_range) return value;
    if (DecimalMagnitude(whole, fraction, exponent) < 0) return 0.0;
    const double huge = std::numeric_limits<double>::infinity();
    return cText.front() == '-' ? -huge : huge;
}

}  // namespace

std::optional<double> ParseNumeric(std::string_view text, std::string_view decimalSeparator) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

    std::string cText;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-') cText += '-';
        text.remove_prefix(1);
    }
    const std::string_view whole = TakeDigits(text);
    std::string_view fraction;
    if (!decimalSeparator.empty() && text.starts_with(decimalSeparator)) {
        text.remove_prefix(decimalSeparator.size());
        fraction = TakeDigits(text);
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    cText.append(whole.empty() ? "0" : whole);
    if (!fraction.empty()) cText.append(".").append(fraction);

    long long exponent = 0;
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        cText += 'e';
        bool negative = false;
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            negative = text.front() == '-';
            cText += text.front();
            text.remove_prefix(1);
        }
        const std::string_view digits = TakeDigits(text);
        if (digits.empty()) return std::nullopt;
        cText.append(digits);
        exponent = SaturatedExponent(digits, negative);
    }
    if (!text.empty()) return std::nullopt;
    return ToDouble(cText, whole, fraction, exponent);
}

std::int32_t BaudFromText(std::string_view text, std::string_view decimalSeparator) {
    const std::optional<double> value = ParseNumeric(text, decimalSeparator);
    if (!value) return kDefaultBaud;
    // The default rounding mode rounds halves to the even neighbour.
    const double rounded = std::nearbyint(*value);
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= kLowest && rounded <= kHighest)) return kDefaultBaud;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace qor
