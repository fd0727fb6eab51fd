#include "sim/common/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}
} // namespace

void makeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return;
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

PseudoTerminal::PseudoTerminal()
{
    char name[256] = {};
    int slave = -1;
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        throw systemError("cannot create a pseudo-terminal");
    makeRaw(slave);
    makeRaw(master_);
    slavePath_ = name;
    slaveKeepAlive_ = slave;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slaveKeepAlive_, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal()
{
    if (!link_.empty())
        ::unlink(link_.c_str());
    if (slaveKeepAlive_ >= 0)
        ::close(slaveKeepAlive_);
    if (master_ >= 0)
        ::close(master_);
}

void PseudoTerminal::linkTo(const std::string& linkPath)
{
    // A mistyped path must never cost the operator a file or a folder: only old links go.
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
        throw std::runtime_error("cannot link " + linkPath
                                 + ": something other than a symbolic link is there; only an old link is replaced");
    ::unlink(linkPath.c_str());
    if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0)
        throw systemError("cannot link " + linkPath + " to " + slavePath_);
    link_ = linkPath;
}

} // namespace sim
