#include "text_only.h"

#include <algorithm>

#include "non_text_ranges.h"
#include "utf8.h"

namespace qor {
namespace {

bool IsNonText(char32_t codePoint) {
    const auto* range =
        std::ranges::lower_bound(kNonTextRanges, codePoint, {}, &CodePointRange::last);
    return range != kNonTextRanges.end() && range->first <= codePoint;
}

}  // namespace

std::string TextOnly(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t length = WellFormedLength(utf8);
        const std::string_view character = utf8.substr(0, std::max<std::size_t>(length, 1));
        out += length == 0 || IsNonText(CodePoint(character)) ? kReplacementCharacter : character;
        utf8.remove_prefix(character.size());
    }
    return out;
}

}  // namespace qor
