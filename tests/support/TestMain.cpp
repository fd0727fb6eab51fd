// Test entry point: a QApplication on the offscreen platform, so widget tests run anywhere.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Tests map their ports themselves: the ports file of whoever runs them takes no part.
    setenv("XDG_CONFIG_HOME", "/nonexistent/hoistwise-tests", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
