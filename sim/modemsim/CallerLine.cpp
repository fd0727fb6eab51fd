#include "sim/modemsim/CallerLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace modemsim {

CallerLine::CallerLine(std::uint16_t port)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error(std::string("cannot create a TCP socket: ") + std::strerror(errno));
    int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listenFd_, 4) != 0) {
        std::string reason = std::strerror(errno);
        ::close(listenFd_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + reason
                                 + " (choose another port with --listen)");
    }
    socklen_t length = sizeof address;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

CallerLine::~CallerLine()
{
    if (callerFd_ >= 0)
        ::close(callerFd_);
    ::close(listenFd_);
}

int CallerLine::acceptPending(std::string& peer)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
    return fd;
}

void CallerLine::adopt(int fd)
{
    callerFd_ = fd;
    output_.clear();
}

void CallerLine::refuse(int fd)
{
    static const char busy[] = "BUSY\r\n";
    (void)!::send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
}

ReadResult CallerLine::read(std::string& into) { return readWaiting(callerFd_, into); }

void CallerLine::hangUp()
{
    if (callerFd_ < 0)
        return;
    output_.flush(callerFd_);
    ::shutdown(callerFd_, SHUT_RDWR);
    ::close(callerFd_);
    callerFd_ = -1;
    output_.clear();
}

} // namespace modemsim
