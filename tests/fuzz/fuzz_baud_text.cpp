// The baud text comes straight from an editable box: any bytes at all.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "numeric_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the locale's separator, one of them multi-byte.
    static constexpr std::string_view kSeparators[] = {".", ",", "\xD9\xAB"};
    const std::string_view separator = kSeparators[data[0] % 3];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::int32_t baud = qor::BaudFromText(text, separator);
    const std::optional<double> value = qor::ParseNumeric(text, separator);
    if (!value && baud != qor::kDefaultBaud) std::abort();
    if (value && std::isnan(*value)) std::abort();
    // Plain digits must come out as themselves.
    if (!text.empty() && text.size() <= 9 &&
        text.find_first_not_of("0123456789") == std::string_view::npos &&
        baud != std::atoi(std::string(text).c_str()))
        std::abort();
    return 0;
}
