#pragma once

#include <string>
#include <string_view>

namespace qor {

// Windows speaks UTF-16; the reader commands and the window's texts are
// UTF-8. Malformed input on either side becomes U+FFFD rather than being
// dropped. Windows only (wide_text_win32.cpp).
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace qor
