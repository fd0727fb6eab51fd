// The far end of a pseudo-terminal for the transmission benchmarks. It creates the pair,
// prints "slave <path>", then obeys one command per line on standard input:
//   drain <bytes> <rate> <file> read until <bytes> arrived, at most <rate> bytes/s (0: no
//                               limit), into <file>; prints "drained <bytes> <s>" (first byte
//                               to last)
//   discard                     read and drop whatever is waiting
//   quit
// Every wait has a limit (120 s), so nothing hangs.
//
// `logset_far_end --flood-copy <bytes> <file>` instead writes the bytes bench/terminal's
// flood_writer sends for that size, to check a session log of its flood byte for byte.
#include "bench/FloodLines.h"
#include "sim/common/PseudoTerminal.h"

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

// flood_writer's flood: a 64 kB block of numbered 79-character lines with CR LF, repeated.
std::string floodCopy(size_t total)
{
    const std::string block = floodLines(64 * 1024);
    std::string out;
    out.reserve(total + block.size());
    while (out.size() < total)
        out += block;
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

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--flood-copy") {
        std::ofstream(argv[3], std::ios::binary) << floodCopy(std::stoull(argv[2]));
        return 0;
    }
    sim::PseudoTerminal pty;
    std::cout << "slave " << pty.slavePath() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "drain") {
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
