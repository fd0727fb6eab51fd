#pragma once
// gensio's telnet layer keeps every byte of a subnegotiation the server never ends, and so
// everything after it, telling nothing. The layer cannot be asked; the socket under it can: its
// count of received bytes keeps growing while nothing reaches the link. Lives on the gensio thread.
#include "serial/network/GensioLoop.h"

#include <cstdint>
#include <functional>
#include <memory>

struct gensio;

namespace serial::network {

class TelnetWatch {
public:
    // Watches the TCP socket under the open `io`, whose server listens on `serverPort`;
    // `swallowing` runs once when more than `limitBytes` stayed in the telnet layer for a second;
    // `spoke` once when the server has sent anything at all, answer or not. Does nothing when the
    // socket cannot be found.
    TelnetWatch(gensio* io, int serverPort, std::function<void()> swallowing, std::function<void()> spoke);
    TelnetWatch(const TelnetWatch&) = delete;
    TelnetWatch& operator=(const TelnetWatch&) = delete;
    // Something came through the telnet layer: what the socket took so far is accounted for.
    void passed();

    // RFC 2217 subnegotiations are a few bytes; TLS records and tickets add a few hundred.
    static constexpr std::uint64_t limitBytes = 1024;

private:
    void tick();
    std::uint64_t received() const;

    int socket_ = -1;
    std::unique_ptr<LoopTimer> timer_;
    std::uint64_t seen_ = 0;
    int strikes_ = 0;
    std::function<void()> swallowing_;
    std::function<void()> spoke_;
};

} // namespace serial::network
