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

ReadResult BenchPort::read(std::string& into) { return readWaiting(fd_, into); }

} // namespace modemsim
