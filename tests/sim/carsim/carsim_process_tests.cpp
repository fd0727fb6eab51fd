// The real program on a real pseudo-terminal, as the terminals' end-to-end tests use it.
#include "sim/common/testing/SimulatorProcess.h"
#include "serial/LineEnds.h"
#include "carterm/reply/ScopeReply.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(5);

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads whatever arrives until `done` says enough, the deadline passes or the fd ends.
std::string readUntil(int fd, Clock::time_point deadline, const auto& done)
{
    std::string got;
    while (!done(got)) {
        pollfd pfd{fd, POLLIN, 0};
        const int ms = remainingMs(deadline);
        if (ms == 0 || ::poll(&pfd, 1, ms) <= 0)
            break;
        char buf[1024];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

// carsim with its stderr captured, so a failing test can say what it complained of.
struct CarsimProcess : sim::SimulatorProcess {
    explicit CarsimProcess(const std::vector<std::string>& args)
        : SimulatorProcess(CARSIM_PROGRAM, args, captureErrors())
    {
    }
};

int openRaw(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

std::string scratchPath(const char* name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/carsim_test_" + std::to_string(::getpid()) + "_" + name;
}

}  // namespace

TEST(CarsimProgram, AnswersAPollOverItsPseudoTerminalAndStopsOnSigterm)
{
    CarsimProcess carsim({"--seed", "1"});
    ASSERT_TRUE(carsim.started());
    const std::string path = carsim.ptyPath();
    ASSERT_FALSE(path.empty()) << carsim.errors();

    const int fd = openRaw(path);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, "pmii\r", 5), 5);
    // Echo (6) + marker line (8) + nine 40-character table lines.
    const std::size_t whole = 6 + 8 + 9 * 40;
    const std::string received = readUntil(fd, Clock::now() + kPatience,
        [&](const std::string& s) { return serial::normaliseLineEnds(s).size() >= whole; });
    ::close(fd);

    // Read as carscope reads it: every shown cell a digit, and the car at rest on floor 1.
    const std::string buffer = serial::normaliseLineEnds(received);
    EXPECT_EQ(buffer.substr(0, 6), "pmii\r\n");
    const auto reply = carterm::reply::parseScopeReply(buffer);
    EXPECT_TRUE(reply.markers.pollAnswer) << buffer;
    ASSERT_TRUE(reply.table) << buffer;
    for (const auto& column : carterm::pmi::valueColumns())
        for (int r = 1; r <= 16; ++r)
            if (column.hasRow(r)) {
                const std::string& cell = reply.table->values.value(column.column, r);
                ASSERT_EQ(cell.size(), 2u);
                EXPECT_TRUE(cell[0] >= '0' && cell[0] <= '9') << "column " << column.column << " row " << r;
            }
    EXPECT_EQ(reply.table->positionBits, (std::array<std::optional<int>, 4>{0, 1, 0, 0}));
    EXPECT_EQ(reply.table->floor, 1);

    carsim.signal(SIGTERM);
    EXPECT_EQ(carsim.waitExit(), 0);
}

TEST(CarsimProgram, LinksThePseudoTerminalAndRemovesTheLinkOnExit)
{
    const std::string link = scratchPath("link");
    CarsimProcess carsim({"--link", link});
    const std::string path = carsim.ptyPath();
    ASSERT_FALSE(path.empty()) << carsim.errors();

    char target[256] = {};
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(target, static_cast<std::size_t>(n)), path);
    const std::string hint = "carsim: connect with: carscope --port 1=" + link + " (or cabtalk --port 1=" + link + ")\n";
    EXPECT_NE(carsim.errors().find(hint), std::string::npos);

    carsim.signal(SIGINT);
    EXPECT_EQ(carsim.waitExit(), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0);
}

TEST(CarsimProgram, NeverReplacesAFileWithItsLink)
{
    const std::string file = scratchPath("file");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "keep", 4), 4);
    ::close(fd);

    CarsimProcess carsim({"--link", file});
    EXPECT_EQ(carsim.waitExit(), 1);
    EXPECT_NE(carsim.errors().find(file), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ::unlink(file.c_str());
}

TEST(CarsimProgram, HangupScenarioClosesTheLine)
{
    CarsimProcess carsim({"--scenario", "hangup", "--after", "0.5"});
    const std::string path = carsim.ptyPath();
    ASSERT_FALSE(path.empty()) << carsim.errors();
    const int fd = openRaw(path);
    ASSERT_GE(fd, 0);

    const auto start = Clock::now();
    pollfd pfd{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, remainingMs(start + kPatience)), 1);
    char c;
    EXPECT_LE(::read(fd, &c, 1), 0);  // end of line, not data
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    ::close(fd);
    EXPECT_EQ(carsim.waitExit(), 0);
}

TEST(CarsimProgram, BadOptionsExitWithCodeTwoAndSayWhy)
{
    CarsimProcess carsim({"--scenario", "noisy"});
    EXPECT_EQ(carsim.waitExit(), 2);
    const std::string errors = carsim.errors();
    EXPECT_NE(errors.find("unknown scenario 'noisy'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("normal, silence, garbage, slow, partial, hangup"), std::string::npos) << errors;
}
