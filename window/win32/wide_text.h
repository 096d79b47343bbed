#pragma once

#include <string>
#include <string_view>

namespace qor {

// The window speaks UTF-16 to the system and UTF-8 to the reader commands.
// Malformed input on either side becomes U+FFFD rather than being dropped.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace qor
