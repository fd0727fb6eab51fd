// One device, one user: a second control or a second program is told the port is in use.
#include "serial/control/CommControl.h"
#include "sim/common/PseudoTerminal.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <cstdio>
#include "tests/serial/Succeeded.h"

#include <gtest/gtest.h>
#include <unistd.h>


namespace {

class ExclusiveAccessTest : public ::testing::Test {
protected:
    ExclusiveAccessTest()
    {
        ::setenv("HOISTWISE_COM7", pty.slavePath().c_str(), 1);
        first.setCommPort(7);
        second.setCommPort(7);
    }
    ~ExclusiveAccessTest() override
    {
        ::unsetenv("HOISTWISE_COM7");
        ::unsetenv("HOISTWISE_COM8");
    }

    // Starts the holder program on port 7 for `ms` milliseconds.
    void startHolder(QProcess& holder, int ms)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOISTWISE_COM7", QString::fromStdString(pty.slavePath()));
        holder.setProcessEnvironment(env);
        holder.start(PORT_HOLDER_PATH, {"7", QString::number(ms)});
        ASSERT_TRUE(holder.waitForStarted(5000));
    }

    sim::PseudoTerminal pty;
    serial::control::CommControl first;
    serial::control::CommControl second;
};

} // namespace

TEST_F(ExclusiveAccessTest, ASecondControlIsToldThePortIsInUseUntilTheFirstCloses)
{
    ASSERT_TRUE(succeeded(first.setPortOpen(true)));
    const auto refused = second.setPortOpen(true);
    EXPECT_EQ(refused.number, serial::errPortInUse);
    EXPECT_EQ(refused.text,
              "COM7 (" + pty.slavePath() + ", from HOISTWISE_COM7) is in use (already open in this program)");
    EXPECT_FALSE(second.portOpen());
    EXPECT_TRUE(first.portOpen());

    // Another name for the same device makes no difference.
    const std::string alias = "/tmp/hoistwise-serial-test-" + std::to_string(::getpid());
    ASSERT_EQ(::symlink(pty.slavePath().c_str(), alias.c_str()), 0);
    ::setenv("HOISTWISE_COM8", alias.c_str(), 1);
    second.setCommPort(8);
    EXPECT_EQ(second.setPortOpen(true).number, serial::errPortInUse);
    ::unlink(alias.c_str());

    first.setPortOpen(false);
    second.setCommPort(7);
    EXPECT_TRUE(succeeded(second.setPortOpen(true)));
}

TEST_F(ExclusiveAccessTest, AnotherProgramHoldingThePortIsNamed)
{
    QProcess holder;
    startHolder(holder, 10000);
    ASSERT_TRUE(holder.waitForReadyRead(5000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "open");

    const auto refused = first.setPortOpen(true);
    EXPECT_EQ(refused.number, serial::errPortInUse);
    const std::string expected = "COM7 (" + pty.slavePath() + ", from HOISTWISE_COM7) is in use by another program "
                                 "(serial_port_hol, process " + std::to_string(holder.processId()) + ")";
    EXPECT_EQ(refused.text, expected);

    holder.kill();
    holder.waitForFinished(5000);
    // The holder died without cleaning up; its lock is stale and the port is free.
    EXPECT_TRUE(succeeded(first.setPortOpen(true)));
}

TEST_F(ExclusiveAccessTest, AnotherProgramIsRefusedWhileThisOneHoldsThePort)
{
    ASSERT_TRUE(succeeded(first.setPortOpen(true)));
    QProcess holder;
    startHolder(holder, 10000);
    ASSERT_TRUE(holder.waitForFinished(5000));
    EXPECT_EQ(holder.exitCode(), 1);
    const std::string said = holder.readAllStandardOutput().trimmed().toStdString();
    EXPECT_NE(said.find("is in use by another program (serial_tests, process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << said;
}
