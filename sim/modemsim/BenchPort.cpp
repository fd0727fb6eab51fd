#include "sim/modemsim/BenchPort.h"

#include "sim/common/SerialDevice.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace modemsim {

namespace {

void makeNonBlocking(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

std::unique_ptr<BenchPort> BenchPort::createPseudoTerminal(const std::string& linkPath)
{
    std::unique_ptr<BenchPort> port(new BenchPort);
    port->pty_ = std::make_unique<sim::PseudoTerminal>();
    if (!linkPath.empty())
        port->pty_->linkTo(linkPath);
    port->fd_ = port->pty_->masterFd();
    port->path_ = port->pty_->slavePath();
    makeNonBlocking(port->fd_);
    return port;
}

std::unique_ptr<BenchPort> BenchPort::openDevice(const std::string& path, unsigned speed)
{
    std::unique_ptr<BenchPort> port(new BenchPort);
    port->deviceFd_ = sim::openSerialDevice(path, speed);
    port->fd_ = port->deviceFd_;
    port->path_ = path;
    return port;
}

BenchPort::~BenchPort()
{
    if (deviceFd_ >= 0)
        ::close(deviceFd_);
}

BenchPort::ReadResult BenchPort::read(std::string& into)
{
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            return ReadResult::Data;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return ReadResult::Nothing;
        return ReadResult::Lost;
    }
}

} // namespace modemsim
