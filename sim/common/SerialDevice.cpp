#include "sim/common/SerialDevice.h"

#include "sim/common/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
speed_t speedConstant(long baud)
{
    switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    case 2500000: return B2500000;
    case 3000000: return B3000000;
    case 3500000: return B3500000;
    case 4000000: return B4000000;
    default: return B0;
    }
}

std::runtime_error failure(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}
} // namespace

int openSerialDevice(const std::string& path, long baud)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw failure("cannot open " + path);
    if (!::isatty(fd)) {
        ::close(fd);
        throw std::runtime_error("cannot use " + path + ": it is not a serial device or terminal");
    }
    const speed_t speed = speedConstant(baud);
    if (speed == B0) {
        ::close(fd);
        throw std::runtime_error("cannot set " + path + " to " + std::to_string(baud) + " baud: not a standard rate");
    }
    makeRaw(fd);
    termios tio{};
    // A device whose settings cannot be read or written is refused rather than used unset.
    if (tcgetattr(fd, &tio) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        throw failure("cannot read the settings of " + path);
    }
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 || tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        throw failure("cannot set " + path + " to " + std::to_string(baud) + " baud, 8 data bits, no parity");
    }
    return fd;
}

} // namespace sim
