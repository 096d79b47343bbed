#pragma once

#include <span>
#include <string>

#include "code_page.h"

namespace qor {

// The card number as shown: the library's 11-byte buffer decoded whole from
// the code page, the first ten characters kept, cut before the first NUL,
// and shown as text only (see TextOnly).
std::string CardNumberText(const CodePage& codePage, std::span<const unsigned char, 11> buffer);

}  // namespace qor
