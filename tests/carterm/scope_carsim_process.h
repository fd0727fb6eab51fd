#pragma once
// The real carsim program as a child process on a pseudo-terminal of its own. The child is
// ended (SIGTERM, then SIGKILL) when the object goes, and every wait is bounded.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace scope_test {

class CarsimProcess {
public:
    explicit CarsimProcess(const std::vector<std::string>& args)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv{const_cast<char*>(CARSIM_PROGRAM)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(CARSIM_PROGRAM, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }

    ~CarsimProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            if (!waitFor(std::chrono::seconds(3))) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        if (out_ >= 0)
            ::close(out_);
    }
    CarsimProcess(const CarsimProcess&) = delete;
    CarsimProcess& operator=(const CarsimProcess&) = delete;

    // The pseudo-terminal's path: carsim prints it as its first line once the line is ready.
    std::string linePath(std::chrono::milliseconds patience = std::chrono::seconds(5))
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        std::string got;
        while (got.find('\n') == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd pfd{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char buf[256];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0)
                return {};
            got.append(buf, static_cast<size_t>(n));
        }
        return got.substr(0, got.find('\n'));
    }

private:
    bool waitFor(std::chrono::milliseconds patience)
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_)
                return true;
            ::usleep(10000);
        }
        return false;
    }

    pid_t pid_ = -1;
    int out_ = -1;
};

} // namespace scope_test
