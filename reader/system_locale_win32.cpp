#include <windows.h>

#include "system_locale.h"
#include "wide_text_win32.h"

namespace qor {

SystemLocale SystemLocale::FromEnvironment() {
    SystemLocale result;
    // The ANSI code page is the one a reader library's 8-bit strings are in.
    result.codePage = "CP" + std::to_string(GetACP());
    result.decimalSeparator = ".";
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1) {
        result.decimalSeparator = qorplatform::Narrow(separator);
    }
    return result;
}

}  // namespace qor
