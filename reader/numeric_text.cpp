#include "numeric_text.h"

#include <locale.h>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

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

// strtod follows the process's LC_NUMERIC; the text has already been checked
// against the user's separator, so the value is read in a fixed "C" locale.
double ToDouble(const std::string& cText) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(cText.c_str(), nullptr, cLocale);
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

    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        cText += 'e';
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            cText += text.front();
            text.remove_prefix(1);
        }
        const std::string_view exponent = TakeDigits(text);
        if (exponent.empty()) return std::nullopt;
        cText.append(exponent);
    }
    if (!text.empty()) return std::nullopt;
    return ToDouble(cText);
}

std::int32_t BaudFromText(std::string_view text, std::string_view decimalSeparator) {
    const std::optional<double> value = ParseNumeric(text, decimalSeparator);
    if (!value) return DEFAULT_BAUD;
    // The default rounding mode rounds halves to the even neighbour.
    const double rounded = std::nearbyint(*value);
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= lowest && rounded <= highest)) return DEFAULT_BAUD;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace qor
