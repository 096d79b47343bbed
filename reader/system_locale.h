#pragma once

#include <string>

namespace qor {

// The two things the commands take from the user's locale.
struct SystemLocale {
    std::string codePage;          // name of the 8-bit code page, e.g. "CP936"
    std::string decimalSeparator;  // UTF-8, e.g. "." or ","

    // On Linux, read from the environment (LANG, LC_ALL, ...) without
    // changing the process's own locale, an unusable setting falling back to
    // "C"; on Windows, the ANSI code page and the user's decimal separator.
    static SystemLocale FromEnvironment();
};

}  // namespace qor
