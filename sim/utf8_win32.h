#pragma once

#include <string>
#include <string_view>

namespace qorsim {

// UTF-8 and UTF-16 both ways, for the options (parsed as UTF-8) and the W
// functions. Empty when `text` is not valid in its encoding.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace qorsim
