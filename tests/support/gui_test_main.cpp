#include <QApplication>
#include <gtest/gtest.h>

// GUI tests share one application object, as the program does.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
