#include "qor_version.h"

// The library's version, found with `grep -a "QORComm version"` in the
// library file. A string, not a function: the exports stay exactly the three
// a vendor's library has.
[[gnu::used]] extern const char kQorCommVersion[] = "QORComm version " QOR_VERSION;
