#include <QApplication>

#include <gtest/gtest.h>

// The application object lives on main()'s stack: a static one would be destroyed after Qt's
// own globals and crash the program at exit.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
