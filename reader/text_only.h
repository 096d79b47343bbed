#pragma once

#include <string>
#include <string_view>

namespace qor {

// `utf8` with every character that would act rather than show, or pass for
// something it is not, replaced by U+FFFD: controls (CR, LF, TAB, ESC, DEL,
// ...), format characters such as the bidirectional overrides, line and
// paragraph separators, surrogates, unassigned code points, spaces other
// than U+0020, the blank Braille pattern, private-use characters and
// combining marks; a byte that starts no well-formed sequence too. Text the
// library hands back can then neither reorder, hide, disguise nor break a
// line on the screen.
std::string TextOnly(std::string_view utf8);

}  // namespace qor
