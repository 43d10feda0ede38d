// GoogleTest entry for tests that need a Qt event loop on the main thread
// (the GUI thread the serial port's worker synchronises with).

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
