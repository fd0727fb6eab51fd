#pragma once
// One connection to a serial server as its backend sees it, and what the connection tells the
// backend. The real one is a NetworkLink; tests bring their own.
#include "serial/NetworkEndpoint.h"
#include "serial/SerialSettings.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace serial::network {

class Link;

// Told on the window's thread, never while a gensio call is under way, and never after the
// link was closed.
class LinkListener {
public:
    virtual ~LinkListener() = default;
    // The server answered: for RFC 2217 its first answer to the settings, for TCP the connect.
    virtual void established(Link& link) = 0;
    // The connection could not be made or has ended; `why` says why.
    virtual void ended(Link& link, const std::string& why) = 0;
    virtual void received(Link& link) = 0;
    // A line event or error code from the server's modem-state or line-state report.
    virtual void lineEvent(Link& link, int code) = 0;
    // Every setting of a change has been answered; these are the values the far port runs with.
    virtual void settingsAnswered(Link& link, const SerialSettings& answered) = 0;
};

class Link {
public:
    virtual ~Link() = default;
    // Stops every report and closes the connection in the background. Bytes not yet sent are dropped.
    virtual void close() = 0;
    // Bytes sent before the server answers wait for it.
    virtual void send(std::string_view bytes) = 0;
    // Bytes not yet handed to the network.
    virtual std::size_t waitingToSend() const = 0;
    // `arrivedAt`: when the latest of the bytes taken came in.
    virtual std::string take(std::chrono::steady_clock::time_point& arrivedAt) = 0;
    virtual std::size_t available() const = 0;
    // Asks the server for these settings (RFC 2217 only; answered through settingsAnswered).
    virtual void applySettings(const SerialSettings& settings) = 0;
    // The server has sent something (data, telnet negotiation), whether or not it answered.
    virtual bool serverSpoke() const = 0;
    // False when the server takes no line control (tcp://, or a telnet server without RFC 2217).
    virtual bool carriesLineControl() const = 0;
};

// Starts connecting, after `delayMs`, with `settings` to be asked for once the server answers.
using Connector = std::function<std::shared_ptr<Link>(const NetworkEndpoint& endpoint, const SerialSettings& settings,
                                                      LinkListener& listener, int delayMs)>;

} // namespace serial::network
