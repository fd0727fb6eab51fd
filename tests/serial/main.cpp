#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Tests map their ports themselves: the ports file of whoever runs them takes no part.
    setenv("XDG_CONFIG_HOME", "/nonexistent/hoistwise-tests", 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
