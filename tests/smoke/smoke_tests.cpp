// Every real program starts on the offscreen platform, keeps running, and ends on SIGTERM
// without crashing, with no serial device behind its port.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class ProgramStarts : public ::testing::TestWithParam<std::string> {};

TEST_P(ProgramStarts, RunsAndEndsCleanly)
{
    const std::string program = GetParam();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Ports that lead nowhere: the programs must report it and keep running.
        for (int n = 1; n <= 4; ++n)
            setenv(("HOISTWISE_COM" + std::to_string(n)).c_str(), "/nonexistent/hoistwise-port", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << program << " ended by itself";
    kill(pid, SIGTERM);
    for (int i = 0; i < 50 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(pid, &status, WNOHANG) == 0 && !WIFSIGNALED(status) && !WIFEXITED(status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << program << " did not end on SIGTERM";
    }
    ASSERT_TRUE(WIFSIGNALED(status)) << program << " exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM) << program << " died of signal " << WTERMSIG(status);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramStarts, ::testing::Values(SMOKE_PROGRAMS),
                         [](const auto& info) {
                             const std::string& p = info.param;
                             return p.substr(p.find_last_of('/') + 1);
                         });

} // namespace
