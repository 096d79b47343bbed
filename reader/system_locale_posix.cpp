#include "system_locale.h"

#include <langinfo.h>
#include <locale.h>

#include "code_page.h"

namespace qor {

SystemLocale SystemLocale::FromEnvironment() {
    // Only the two categories we read, so a broken LC_MESSAGES or LC_TIME
    // does not throw away a good LC_CTYPE.
    constexpr int kMask = LC_CTYPE_MASK | LC_NUMERIC_MASK;
    locale_t locale = newlocale(kMask, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        locale = newlocale(kMask, "C", static_cast<locale_t>(nullptr));

    SystemLocale result;
    result.codePage = nl_langinfo_l(CODESET, locale);
    // The separator is spelled in the locale's own code page.
    const std::string radix = nl_langinfo_l(RADIXCHAR, locale);
    result.decimalSeparator =
        CodePage(result.codePage)
            .Decode(reinterpret_cast<const unsigned char*>(radix.data()), radix.size());
    freelocale(locale);
    return result;
}

}  // namespace qor
