// UTF-8 and UTF-16: Windows speaks UTF-16, while the reader commands, the
// window's texts and the simulator's messages are UTF-8.
#ifndef QORPLATFORM_WIDE_TEXT_WIN32_H
#define QORPLATFORM_WIDE_TEXT_WIN32_H

#include <string>
#include <string_view>

namespace qorplatform {

// Malformed input on either side becomes U+FFFD rather than being dropped.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace qorplatform

#endif  // QORPLATFORM_WIDE_TEXT_WIN32_H
