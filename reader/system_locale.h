#pragma once

#include <string>

namespace qor {

// The two things the commands take from the user's locale.
struct SystemLocale {
    std::string codePage;          // iconv name of the 8-bit code page, e.g. "CP936"
    std::string decimalSeparator;  // UTF-8, e.g. "." or ","

    // Read from the environment (LANG, LC_ALL, ...) without changing the
    // process's own locale; an unusable setting falls back to "C".
    static SystemLocale FromEnvironment();
};

}  // namespace qor
