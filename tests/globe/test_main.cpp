#include <cstdlib>

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Pixel tests run without a display server.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
