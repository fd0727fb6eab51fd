// The far end of a pseudo-terminal for the log and transmission benchmarks. It creates the
// pair, prints "slave <path>", then obeys one command per line on standard input:
//   flood <bytes> <copy-file>   write <bytes> of 79-character lines with CR LF at full speed,
//                               keep a copy of what was written; prints "flooded <bytes> <s>"
//   drain <bytes> <rate> <file> read until <bytes> arrived, at most <rate> bytes/s (0: no
//                               limit), into <file>; prints "drained <bytes> <s>" (first byte
//                               to last)
//   discard                     read and drop whatever is waiting
//   quit
// Every wait has a limit (120 s), so nothing hangs.
#include "PseudoTerminal.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string floodLines(size_t total)
{
    std::string out;
    out.reserve(total);
    char line[96];
    for (long n = 0; out.size() < total; ++n) {
        std::snprintf(line, sizeof line, "%08ld ", n);
        std::string text(line);
        while (text.size() < 79)
            text.push_back(static_cast<char>('A' + (text.size() + n) % 26));
        text += "\r\n";
        out += text;
    }
    out.resize(total);
    return out;
}

void discard(int fd)
{
    char buffer[65536];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) && ::read(fd, buffer, sizeof buffer) > 0) {
    }
}

void flood(int fd, size_t total, const std::string& copyFile)
{
    const std::string data = floodLines(total);
    std::ofstream(copyFile, std::ios::binary) << data;
    const auto start = Clock::now();
    size_t sent = 0;
    while (sent < total && since(start) < 120) {
        pollfd p[1] = {{fd, POLLOUT | POLLIN, 0}};
        if (::poll(p, 1, 100) <= 0)
            continue;
        if (p[0].revents & POLLIN)
            discard(fd);
        if (p[0].revents & POLLOUT) {
            const ssize_t n = ::write(fd, data.data() + sent, std::min<size_t>(65536, total - sent));
            if (n > 0)
                sent += static_cast<size_t>(n);
        }
    }
    std::cout << "flooded " << sent << ' ' << since(start) << std::endl;
}

void drain(int fd, size_t total, double rate, const std::string& file)
{
    std::string got;
    got.reserve(total);
    char buffer[65536];
    Clock::time_point first{};
    const auto start = Clock::now();
    while (got.size() < total && since(start) < 120) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        size_t want = sizeof buffer;
        if (rate > 0)
            want = std::max<size_t>(1, static_cast<size_t>(rate / 10)); // one slice per 100 ms
        const ssize_t n = ::read(fd, buffer, std::min(want, total - got.size()));
        if (n <= 0)
            continue;
        if (got.empty())
            first = Clock::now();
        got.append(buffer, static_cast<size_t>(n));
        if (rate > 0)
            std::this_thread::sleep_until(first + std::chrono::milliseconds(static_cast<long>(got.size() * 1000 / rate)));
    }
    std::ofstream(file, std::ios::binary) << got;
    std::cout << "drained " << got.size() << ' ' << (got.empty() ? 0.0 : since(first)) << std::endl;
}

} // namespace

int main()
{
    sim::PseudoTerminal pty;
    std::cout << "slave " << pty.slavePath() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "flood") {
            size_t bytes = 0;
            std::string copy;
            in >> bytes >> copy;
            flood(pty.masterFd(), bytes, copy);
        } else if (command == "drain") {
            size_t bytes = 0;
            double rate = 0;
            std::string file;
            in >> bytes >> rate >> file;
            drain(pty.masterFd(), bytes, rate, file);
        } else if (command == "discard") {
            discard(pty.masterFd());
            std::cout << "discarded" << std::endl;
        } else if (command == "quit") {
            break;
        }
    }
    return 0;
}
