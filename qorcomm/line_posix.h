// OpenLine on Linux, with the moment between resolving a name and opening
// what it leads to open to a test: there a simulator may end, and another
// terminal take its terminal's name.
#ifndef QORCOMM_LINE_POSIX_H
#define QORCOMM_LINE_POSIX_H

#include <functional>
#include <string>

#include "line.h"

namespace qorcomm {

// Called with the path a name has resolved to, just before it is opened.
using BeforeOpen = std::function<void(const std::string& path)>;

// OpenLine (line.h), calling `beforeOpen`, when given, before each open.
std::int32_t OpenLine(std::string_view name, std::int32_t baud, std::unique_ptr<Line>& line,
                      const BeforeOpen& beforeOpen);

}  // namespace qorcomm

#endif  // QORCOMM_LINE_POSIX_H
