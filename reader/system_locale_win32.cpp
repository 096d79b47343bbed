#include <windows.h>

#include "system_locale.h"

namespace qor {

SystemLocale SystemLocale::FromEnvironment() {
    SystemLocale result;
    // The ANSI code page is the one a reader library's 8-bit strings are in.
    result.codePage = "CP" + std::to_string(GetACP());
    result.decimalSeparator = ".";
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1) {
        char utf8[32];
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, separator, -1, utf8, sizeof utf8, nullptr, nullptr);
        if (n > 1) result.decimalSeparator.assign(utf8, static_cast<std::size_t>(n - 1));
    }
    return result;
}

}  // namespace qor
