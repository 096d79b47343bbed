#include <gtest/gtest.h>

#include <QApplication>

// Widgets need one QApplication for the whole run. Listing the tests, which
// the build does to register them, must work without any display.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
