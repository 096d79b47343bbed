#pragma once

#include <string>
#include <string_view>

namespace qor {

// `utf8` with every character that would act rather than show replaced by
// U+FFFD: controls (CR, LF, TAB, ESC, DEL, ...), format characters such as
// the bidirectional overrides, line and paragraph separators, surrogates
// and unassigned code points; a byte that starts no well-formed sequence
// too. Text the library hands back can then neither reorder, hide nor break
// a line on the screen.
std::string TextOnly(std::string_view utf8);

}  // namespace qor
