// Floods a pseudo-terminal the way a fast line floods a terminal program, and measures how the
// program on the other side keeps up: the writer's wall time is the drain time, since writes to
// the pseudo-terminal block while the reader lags. Reports MB/s, the reader's CPU seconds per MB
// and its peak memory.
#include "bench/FloodLines.h"
#include "sim/common/PseudoTerminal.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/ioctl.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

struct ProcessFigures {
    double cpuSeconds = 0;
    long peakKb = 0;
    long rssKb = 0;
};

ProcessFigures figuresOf(int pid)
{
    ProcessFigures f;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    f.cpuSeconds = double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            f.peakKb = std::atol(line.c_str() + 6);
        if (line.rfind("VmRSS:", 0) == 0)
            f.rssKb = std::atol(line.c_str() + 6);
    }
    return f;
}

bool waitForGreeting(int fd, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buf[256];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0 && std::memchr(buf, '\r', static_cast<size_t>(n)))
                return true;
        }
    }
    return false;
}

int readPid(const std::string& file, int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        std::ifstream in(file);
        int pid = 0;
        if (in >> pid && pid > 0)
            return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string link, pidFile;
    double megabytes = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--link")
            link = argv[i + 1];
        else if (opt == "--pid-file")
            pidFile = argv[i + 1];
        else if (opt == "--mb")
            megabytes = std::atof(argv[i + 1]);
    }
    if (link.empty() || pidFile.empty() || megabytes <= 0) {
        std::fprintf(stderr, "usage: flood_writer --link PATH --pid-file FILE [--mb 20]\n");
        return 2;
    }
    sim::PseudoTerminal pty;
    pty.linkTo(link);
    std::printf("pseudo-terminal %s linked at %s\n", pty.slavePath().c_str(), link.c_str());
    std::fflush(stdout);
    if (!waitForGreeting(pty.masterFd(), 60)) {
        std::fprintf(stderr, "the terminal never opened the port (no carriage return within 60 s)\n");
        return 1;
    }
    const int pid = readPid(pidFile, 60);
    if (!pid) {
        std::fprintf(stderr, "no process id in %s\n", pidFile.c_str());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));

    const std::string block = floodLines(64 * 1024);
    const size_t total = static_cast<size_t>(megabytes * 1000 * 1000);
    const ProcessFigures before = figuresOf(pid);
    const auto start = std::chrono::steady_clock::now();
    size_t written = 0;
    while (written < total) {
        const size_t want = std::min(block.size(), total - written);
        const ssize_t n = write(pty.masterFd(), block.data(), want);
        if (n < 0) {
            std::perror("write");
            return 1;
        }
        written += static_cast<size_t>(n);
    }
    // Wait until the reader has taken what the pseudo-terminal still holds.
    int queued = 0;
    for (int i = 0; i < 5000; ++i) {
        if (ioctl(pty.masterFd(), TIOCOUTQ, &queued) != 0 || queued == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const ProcessFigures after = figuresOf(pid);
    const double mb = double(written) / 1e6;
    std::printf("drained %.1f MB in %.2f s: %.1f MB/s\n", mb, seconds, mb / seconds);
    std::printf("terminal CPU: %.2f s, %.4f CPU s per MB\n", after.cpuSeconds - before.cpuSeconds,
                (after.cpuSeconds - before.cpuSeconds) / mb);
    std::printf("terminal memory: %ld kB before, %ld kB after, peak %ld kB\n", before.rssKb, after.rssKb,
                after.peakKb);
    return 0;
}
