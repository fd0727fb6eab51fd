#include "mqtt/BrokerAddress.h"

#include "serial/OutsideText.h"

#include <charconv>

namespace mqtt {

namespace {

std::string quoted(std::string_view s) { return serial::printable(std::string(s)); }

} // namespace

std::optional<std::string> parseBrokerUrl(std::string_view url, BrokerAddress& out)
{
    const std::string accepted = "give mqtt://HOST:PORT or mqtts://HOST:PORT?ca=FILE";
    BrokerAddress address;
    std::string_view rest;
    if (url.starts_with("mqtt://"))
        rest = url.substr(7);
    else if (url.starts_with("mqtts://")) {
        address.tls = true;
        rest = url.substr(8);
    } else
        return "broker " + quoted(url) + " is not accepted: " + accepted;
    if (const auto q = rest.find('?'); q != std::string_view::npos) {
        const std::string_view query = rest.substr(q + 1);
        rest = rest.substr(0, q);
        if (!address.tls || !query.starts_with("ca=") || query.size() == 3 || query.find('&') != std::string_view::npos)
            return "broker " + quoted(url) + ": only mqtts:// takes an option, ?ca=FILE; " + accepted;
        address.ca = std::string(query.substr(3));
    }
    address.port = address.tls ? 8883 : 1883;
    std::string_view host = rest;
    std::optional<std::string_view> port;
    if (rest.starts_with('[')) {   // [IPv6]:PORT
        const auto close = rest.find(']');
        const std::string_view after = close == std::string_view::npos ? "?" : rest.substr(close + 1);
        if (!after.empty() && !after.starts_with(':'))
            return "broker " + quoted(url) + ": an IPv6 address goes in brackets, [ADDRESS]:PORT";
        host = rest.substr(1, close - 1);
        if (!after.empty())
            port = after.substr(1);
    } else if (const auto colon = rest.rfind(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (port) {
        int n = 0;
        const auto [end, ec] = std::from_chars(port->data(), port->data() + port->size(), n);
        if (ec != std::errc() || end != port->data() + port->size() || n < 1 || n > 65535)
            return "broker " + quoted(url) + ": port " + quoted(*port) + " is not a number from 1 to 65535";
        address.port = n;
    }
    if (host.empty() || host.find_first_of("/@ ") != std::string_view::npos)
        return "broker " + quoted(url) + " names no host: " + accepted;
    address.host = std::string(host);
    out = address;
    return std::nullopt;
}

} // namespace mqtt
