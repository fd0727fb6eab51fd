#include "serial/network/TelnetWatch.h"

#include "serial/network/GensioLoop.h"

#include <gensio/gensio.h>

#include <dirent.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace serial::network {

namespace {

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// gensio names the local end ("ipv4,127.0.0.1,55598") but hands out no descriptor: the socket
// with that local port and the server's port is looked for among this process's own.
int findSocket(gensio* io, int serverPort)
{
    char local[128] = {};
    gensiods size = sizeof local - 1;
    if (gensio_control(io, GENSIO_CONTROL_DEPTH_FIRST, GENSIO_CONTROL_GET, GENSIO_CONTROL_LADDR, local, &size) != 0)
        return -1;
    const std::string named(local);
    const int localPort = std::atoi(named.substr(named.rfind(',') + 1).c_str());
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return -1;
    int found = -1;
    while (const dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        sockaddr_storage mine {}, theirs {};
        socklen_t mineSize = sizeof mine, theirsSize = sizeof theirs;
        if (fd > 2 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&mine), &mineSize) == 0
            && ::getpeername(fd, reinterpret_cast<sockaddr*>(&theirs), &theirsSize) == 0 && portOf(mine) == localPort
            && portOf(theirs) == serverPort) {
            found = fd;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

constexpr std::chrono::milliseconds tickTime{500};

} // namespace

TelnetWatch::TelnetWatch(gensio* io, int serverPort, std::function<void()> swallowing, std::function<void()> spoke)
    : socket_(findSocket(io, serverPort))
    , swallowing_(std::move(swallowing))
    , spoke_(std::move(spoke))
{
    if (socket_ < 0)
        return;
    timer_ = std::make_unique<LoopTimer>([this] { tick(); });
    passed();
    timer_->start(tickTime);
}

void TelnetWatch::passed()
{
    seen_ = received();
    strikes_ = 0;
}

std::uint64_t TelnetWatch::received() const
{
    tcp_info info {};
    socklen_t size = sizeof info;
    if (::getsockopt(socket_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 || size < sizeof info)
        return seen_;
    return info.tcpi_bytes_received;
}

void TelnetWatch::tick()
{
    if (spoke_ && received() > 0)
        std::exchange(spoke_, {})();
    if (received() - seen_ <= limitBytes)
        strikes_ = 0;
    else if (++strikes_ >= 2) {
        // Told once; this watch may be gone when the call returns.
        if (auto swallowing = std::move(swallowing_))
            swallowing();
        return;
    }
    timer_->start(tickTime);
}

} // namespace serial::network
