#include "BenchPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace modemsim {

namespace {

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void makeNonBlocking(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

speed_t termiosSpeed(unsigned speed)
{
    switch (speed) {
    case 300: return B300;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    }
    throw std::runtime_error("line speed " + std::to_string(speed) + " is not a standard rate");
}

} // namespace

std::unique_ptr<BenchPort> BenchPort::createPseudoTerminal(const std::string& linkPath)
{
    std::unique_ptr<BenchPort> port(new BenchPort);
    port->pty_ = std::make_unique<sim::PseudoTerminal>();
    if (!linkPath.empty()) {
        struct stat st{};
        if (::lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
            throw std::runtime_error("--link " + linkPath
                                     + ": something other than a symbolic link is there; not replacing it");
        port->pty_->linkTo(linkPath);
    }
    port->fd_ = port->pty_->masterFd();
    port->path_ = port->pty_->slavePath();
    makeNonBlocking(port->fd_);
    return port;
}

std::unique_ptr<BenchPort> BenchPort::openDevice(const std::string& path, unsigned speed)
{
    std::unique_ptr<BenchPort> port(new BenchPort);
    port->deviceFd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->deviceFd_ < 0)
        throw systemError("cannot open " + path);
    if (!::isatty(port->deviceFd_))
        throw std::runtime_error(path + " is not a terminal device");
    termios tio{};
    if (tcgetattr(port->deviceFd_, &tio) != 0)
        throw systemError("cannot read the settings of " + path);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB);
    cfsetispeed(&tio, termiosSpeed(speed));
    cfsetospeed(&tio, termiosSpeed(speed));
    if (tcsetattr(port->deviceFd_, TCSANOW, &tio) != 0)
        throw systemError("cannot set " + path + " to " + std::to_string(speed) + " 8N1");
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
