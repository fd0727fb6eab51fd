#include "serial/device/PortDevice.h"

#include "serial/CommEvents.h"

// termios2 comes from the kernel headers; glibc's <termios.h> must stay out of this file.
#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace serial::device {

namespace {

CommError systemError(int errorNumber)
{
    const int number = (errorNumber == ENOENT || errorNumber == ENODEV || errorNumber == ENXIO)
        ? errNoSuchPort
        : errDeviceFailure;
    return {number, std::strerror(errorNumber)};
}

CommError inUse()
{
    return {errPortInUse, "is in use by another program"};
}

} // namespace

std::vector<int> lineEventCodes(const LineCounters& before, const LineCounters& after)
{
    static constexpr struct {
        int LineCounters::*count;
        int code;
    } kinds[] = {
        {&LineCounters::cts, comEvCTS},
        {&LineCounters::dsr, comEvDSR},
        {&LineCounters::carrier, comEvCD},
        {&LineCounters::ring, comEvRing},
        {&LineCounters::breaks, comEventBreak},
        {&LineCounters::framing, comEventFrame},
        {&LineCounters::overrun, comEventOverrun},
        {&LineCounters::bufferOverrun, comEventRxOver},
        {&LineCounters::parity, comEventRxParity},
    };
    std::vector<int> codes;
    for (const auto& kind : kinds)
        if (after.*kind.count != before.*kind.count)
            codes.push_back(kind.code);
    return codes;
}

PortDevice::~PortDevice()
{
    release();
}

CommError PortDevice::claim(const std::string& path)
{
    release();
    // Only a character device can be a serial line; a file, folder or FIFO found at the path
    // is never opened.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return systemError(errno);
    if (!S_ISCHR(info.st_mode))
        return {errDeviceFailure, "is not a serial device"};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY ? inUse() : systemError(errno);

    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == ENOTTY || error == EINVAL)
            return {errDeviceFailure, "is not a serial device"};
        return systemError(error);
    }

    // Root is let past exclusive mode (TIOCEXCL), and a holder that crashed leaves that mode set
    // for as long as anyone else keeps the device open, so it decides nothing here. The flock
    // holds for root and whatever name the device was reached by.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return inUse();
    }
    fd_ = fd;
    return {};
}

void PortDevice::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::optional<LineCounters> PortDevice::lineCounters() const
{
    serial_icounter_struct counts{};
    if (fd_ < 0 || ::ioctl(fd_, TIOCGICOUNT, &counts) != 0)
        return std::nullopt;
    LineCounters c;
    c.cts = counts.cts;
    c.dsr = counts.dsr;
    c.ring = counts.rng;
    c.carrier = counts.dcd;
    c.breaks = counts.brk;
    c.framing = counts.frame;
    c.overrun = counts.overrun;
    c.parity = counts.parity;
    c.bufferOverrun = counts.buf_overrun;
    return c;
}

int PortDevice::outputQueue() const
{
    int queued = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

std::optional<SerialSettings> PortDevice::currentSettings() const
{
    termios2 tio{};
    if (fd_ < 0 || ::ioctl(fd_, TCGETS2, &tio) != 0)
        return std::nullopt;
    SerialSettings s;
    s.baudRate = static_cast<int>(tio.c_ospeed);
    switch (tio.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
    }
    if (!(tio.c_cflag & PARENB))
        s.parity = 'n';
    else if (tio.c_cflag & CMSPAR)
        s.parity = (tio.c_cflag & PARODD) ? 'm' : 's';
    else
        s.parity = (tio.c_cflag & PARODD) ? 'o' : 'e';
    s.stopBits = (tio.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return s;
}

bool PortDevice::isPseudoTerminal() const
{
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return false;
    const unsigned major = ::major(info.st_rdev);
    return major >= 136 && major <= 143;   // Unix98 pseudo-terminal slaves
}

bool PortDevice::hungUp() const
{
    if (fd_ < 0)
        return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::string PortDevice::hangUpText() const
{
    // A hung-up terminal refuses every write; an empty one asks the system for its own words.
    int error = EIO;
    if (fd_ >= 0 && ::write(fd_, "", 0) < 0)
        error = errno;
    return std::strerror(error);
}

std::string PortDevice::takeInput()
{
    std::string input;
    if (fd_ < 0)
        return input;
    // Bounded, so that a peer still flooding the line cannot hold up the close.
    char buffer[65536];
    for (int chunk = 0; chunk < 64; ++chunk) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        input.append(buffer, static_cast<size_t>(n));
    }
    return input;
}

void PortDevice::discardOutput()
{
    if (fd_ >= 0)
        ::ioctl(fd_, TCFLSH, TCOFLUSH);
}

} // namespace serial::device
