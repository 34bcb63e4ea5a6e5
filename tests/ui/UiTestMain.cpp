#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The application object lives on main()'s stack: a static one would be destroyed after Qt's
// own globals and crash the program at exit.
int main(int argc, char* argv[]) {
    // Also when CMake lists the tests right after linking, where no display may exist.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
