#include <climits>

#include "port_name_limit.h"

namespace qorcomm {

// No system call takes a path of PATH_MAX bytes or more: the count holds its
// terminating null.
const std::size_t kMaxPortName = PATH_MAX - 1;

}  // namespace qorcomm
