#include "sim/common/testing/SimulatorProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Appends to `into` what `fd` delivers until `enough` says so, the deadline passes or it closes.
template <typename Enough>
void readInto(int fd, std::string& into, Clock::time_point deadline, Enough enough)
{
    while (fd >= 0 && !enough(into)) {
        pollfd pfd{fd, POLLIN, 0};
        const int ms = msLeft(deadline);
        if (ms == 0 || ::poll(&pfd, 1, ms) <= 0)
            return;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        into.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

SimulatorProcess::SimulatorProcess(const std::string& program, const std::vector<std::string>& args, Errors errors)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    int err[2] = {-1, -1};
    if (errors.to == Errors::To::Pipe && ::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    // Everything the child needs is built before the fork: only async-signal-safe calls after it.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        if (errors.to == Errors::To::Pipe) {
            ::dup2(err[1], STDERR_FILENO);
        } else if (errors.to == Errors::To::File) {
            const int fd = ::open(errors.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, STDERR_FILENO);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
    if (err[1] >= 0)
        ::close(err[1]);
    err_ = err[0];
}

SimulatorProcess::~SimulatorProcess()
{
    stop();
    if (out_ >= 0)
        ::close(out_);
    if (err_ >= 0)
        ::close(err_);
}

std::string SimulatorProcess::readLine(std::chrono::milliseconds patience)
{
    readInto(out_, pending_, Clock::now() + patience,
             [](const std::string& got) { return got.find('\n') != std::string::npos; });
    const auto end = pending_.find('\n');
    if (end == std::string::npos)
        return {};
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return line;
}

const std::string& SimulatorProcess::ptyPath(std::chrono::milliseconds patience)
{
    if (!ptyPath_)
        ptyPath_ = readLine(patience);
    return *ptyPath_;
}

std::string SimulatorProcess::errors(std::chrono::milliseconds patience)
{
    std::string got;
    readInto(err_, got, Clock::now() + patience, [](const std::string&) { return false; });
    return got;
}

void SimulatorProcess::signal(int sig)
{
    if (pid_ > 0 && !exited_)
        ::kill(pid_, sig);
}

std::optional<int> SimulatorProcess::waitExit(std::chrono::milliseconds patience)
{
    if (pid_ <= 0 || exited_)
        return std::nullopt;
    const auto deadline = Clock::now() + patience;
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (Clock::now() >= deadline)
            return std::nullopt;
        ::usleep(10000);
    }
}

void SimulatorProcess::stop(std::chrono::milliseconds patience)
{
    if (pid_ <= 0 || exited_)
        return;
    ::kill(pid_, SIGTERM);
    if (waitExit(patience))
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    exited_ = true;
}

} // namespace sim
