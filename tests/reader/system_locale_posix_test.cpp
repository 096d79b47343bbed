#include "system_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(SystemLocale, ReadsTheEnvironmentAndSurvivesABrokenOne) {
    const char* saved = std::getenv("LC_ALL");
    const std::string restore = saved != nullptr ? saved : "";

    setenv("LC_ALL", "C.UTF-8", 1);
    qor::SystemLocale utf8 = qor::SystemLocale::FromEnvironment();
    EXPECT_EQ(utf8.codePage, "UTF-8");
    EXPECT_EQ(utf8.decimalSeparator, ".");

    setenv("LC_ALL", "xx_NOWHERE.BROKEN", 1);
    qor::SystemLocale fallback = qor::SystemLocale::FromEnvironment();
    EXPECT_EQ(fallback.codePage, "ANSI_X3.4-1968");
    EXPECT_EQ(fallback.decimalSeparator, ".");

    if (saved != nullptr)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace
