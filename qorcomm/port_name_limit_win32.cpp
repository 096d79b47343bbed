#include "port_name_limit.h"

namespace qorcomm {
namespace {

// A \\?\ path reaches the system as it is, up to 32767 UTF-16 units (the
// system keeps a path's length in bytes in 16 bits); MAX_PATH (260) binds
// only the names without the prefix.
constexpr std::size_t kLongestPathUnits = 32767;

// The name comes in the ANSI code page and is widened to UTF-16 for the W
// functions. No code page spends more than 3 bytes on one UTF-16 unit:
// UTF-8, which Windows lets be the ANSI code page, 3 on a character of the
// BMP and 4 on a surrogate pair; a double-byte code page such as 936, 2 on
// one character. A name of more bytes widens to more units than any path.
constexpr std::size_t kMostBytesPerUnit = 3;

}  // namespace

const std::size_t kMaxPortName = kLongestPathUnits * kMostBytesPerUnit;

}  // namespace qorcomm
