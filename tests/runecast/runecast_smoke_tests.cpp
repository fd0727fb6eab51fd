// The real program starts, runs for a second on the offscreen platform, and ends on SIGTERM
// without having crashed.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

TEST(RunecastProgram, StartsRunsAndEndsOnTerm)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(RUNECAST_BINARY, "runecast", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "runecast ended early, status " << status;
    kill(pid, SIGTERM);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
}
