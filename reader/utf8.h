#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qor {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// Length of the UTF-8 sequence a lead byte starts; 1 for a stray byte, so a
// walk over bad input always makes progress.
std::size_t Utf8Length(unsigned char lead);

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t WellFormedLength(std::string_view text);

// The code point of one well-formed sequence (see WellFormedLength).
char32_t CodePoint(std::string_view sequence);

// `text` with every byte that starts no well-formed sequence replaced by
// U+FFFD, so the window never receives malformed UTF-8.
std::string WellFormed(std::string_view text);

}  // namespace qor
