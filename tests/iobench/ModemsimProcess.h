#pragma once
// The real modemsim as a child process: its first two stdout lines (the pseudo-terminal's path
// and the caller's port) are read at start; its verbose traffic log goes to a file the test can
// read. The child is killed when the object goes, whatever the test did.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class ModemsimProcess {
public:
    ModemsimProcess(const std::string& program, std::vector<std::string> args, std::string logPath)
        : logPath_(std::move(logPath))
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int log = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(log, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (auto& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        stdout_ = out[0];
        ptyPath = line();
        const std::string listening = line();
        const auto colon = listening.rfind(':');
        if (listening.rfind("listening on 127.0.0.1:", 0) == 0 && colon != std::string::npos)
            callerPort = static_cast<unsigned>(std::stoul(listening.substr(colon + 1)));
    }
    ~ModemsimProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            ::close(stdout_);
    }
    ModemsimProcess(const ModemsimProcess&) = delete;
    ModemsimProcess& operator=(const ModemsimProcess&) = delete;

    bool started() const { return !ptyPath.empty() && callerPort != 0; }
    // Everything modemsim has logged so far.
    std::string log() const
    {
        std::ifstream in(logPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string ptyPath;
    unsigned callerPort = 0;

private:
    // One line of stdout, waiting at most 5 seconds for it.
    std::string line()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (pending_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            pending_.append(buffer, static_cast<size_t>(n));
        }
        const auto end = pending_.find('\n');
        if (end == std::string::npos)
            return {};
        std::string text = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return text;
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string pending_;
    std::string logPath_;
};
