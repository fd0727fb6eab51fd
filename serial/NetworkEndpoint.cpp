#include "serial/NetworkEndpoint.h"

#include "serial/OutsideText.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <charconv>

namespace serial {

namespace {

constexpr const char* kAccepted =
    "write rfc2217://HOST:PORT, rfc2217s://HOST:PORT (optionally ?ca=FILE&cert=FILE&key=FILE) or "
    "tcp://HOST:PORT, HOST being a name, an IPv4 address or an IPv6 address in brackets and PORT "
    "1 to 65535";

std::string lower(std::string_view s)
{
    std::string text(s);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool isHostName(std::string_view host)
{
    if (host.empty() || host.size() > 253 || host.front() == '-' || host.front() == '.')
        return false;
    return std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '.' || c == '_';
    });
}

bool isIPv6(const std::string& host)
{
    in6_addr address{};
    return ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// gensio reads a quoted option value up to the next quote; a file name holding a quote or a
// backslash cannot be passed on safely.
bool isUsablePath(std::string_view path)
{
    return !path.empty() && path.find_first_of("\"\\") == std::string_view::npos;
}

std::string quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

} // namespace

bool NetworkEndpoint::isNetworkName(std::string_view value)
{
    const auto scheme = value.find("://");
    return scheme != std::string_view::npos && scheme > 0
        && std::all_of(value.begin(), value.begin() + static_cast<long>(scheme),
                       [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

std::optional<std::string> NetworkEndpoint::parse(std::string_view value, NetworkEndpoint& out)
{
    const std::string shown = "\"" + printable(value) + "\"";
    const auto fail = [&](const std::string& why) -> std::optional<std::string> {
        return shown + " is not a network port (" + why + "): " + kAccepted;
    };
    if (!isNetworkName(value))
        return fail("no scheme");
    const auto schemeEnd = value.find("://");
    const std::string scheme = lower(value.substr(0, schemeEnd));
    NetworkEndpoint parsed;
    if (scheme == "rfc2217")
        parsed.kind = Kind::Rfc2217;
    else if (scheme == "rfc2217s")
        parsed.kind = Kind::Rfc2217Tls;
    else if (scheme == "tcp")
        parsed.kind = Kind::Tcp;
    else
        return fail("unknown kind \"" + printable(scheme) + "://\"");

    std::string_view rest = value.substr(schemeEnd + 3);
    std::string_view query;
    if (const auto mark = rest.find('?'); mark != std::string_view::npos) {
        query = rest.substr(mark + 1);
        rest = rest.substr(0, mark);
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);

    // A user name or password would travel in clear and is not RFC 2217's to carry.
    if (rest.find('@') != std::string_view::npos)
        return fail("a user name or password is not taken here: write HOST:PORT only");
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos)
            return fail("the IPv6 address has no closing bracket");
        parsed.host = rest.substr(1, close - 1);
        if (!isIPv6(parsed.host))
            return fail("\"" + printable(parsed.host) + "\" is not an IPv6 address");
        if (close + 1 >= rest.size() || rest[close + 1] != ':')
            return fail("no port number after the address");
        portText = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return fail("no port number");
        parsed.host = rest.substr(0, colon);
        if (parsed.host.find(':') != std::string::npos)
            return fail("an IPv6 address goes in brackets, for example [fd00::5]:3001");
        if (!isHostName(parsed.host))
            return fail(parsed.host.empty() ? std::string("no host") : "\"" + printable(parsed.host) + "\" is not a host name or address");
        portText = rest.substr(colon + 1);
    }
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), parsed.port);
    if (portText.empty() || error != std::errc() || end != portText.data() + portText.size()
        || parsed.port < 1 || parsed.port > 65535)
        return fail("\"" + printable(portText) + "\" is not a port number");

    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (item.empty())
            continue;
        if (parsed.kind != Kind::Rfc2217Tls)
            return fail("only rfc2217s:// takes ca=, cert= and key=");
        const auto equals = item.find('=');
        const std::string name = lower(item.substr(0, equals));
        const std::string_view path = equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
        std::string* field = name == "ca" ? &parsed.ca : name == "cert" ? &parsed.cert : name == "key" ? &parsed.key : nullptr;
        if (!field)
            return fail("unknown setting \"" + printable(name) + "\"; rfc2217s:// takes ca=, cert= and key=");
        if (!isUsablePath(path))
            return fail(printable(name) + "= needs a file name without quotes or backslashes");
        *field = path;
    }
    if (!parsed.cert.empty() && parsed.key.empty())
        return fail("cert= needs the key= that goes with it");
    if (parsed.cert.empty() && !parsed.key.empty())
        return fail("key= needs the cert= that goes with it");
    out = std::move(parsed);
    return std::nullopt;
}

std::string NetworkEndpoint::kindName() const
{
    switch (kind) {
    case Kind::Rfc2217: return "RFC 2217";
    case Kind::Rfc2217Tls: return "RFC 2217 over TLS";
    case Kind::Tcp: return "raw TCP";
    }
    return {};
}

std::string NetworkEndpoint::address() const
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkEndpoint::gensioString() const
{
    const std::string tcp = "tcp," + host + "," + std::to_string(port);
    if (kind == Kind::Tcp)
        return tcp;
    if (kind == Kind::Rfc2217)
        return "telnet(rfc2217)," + tcp;
    std::string options;
    const auto add = [&](const char* name, const std::string& path) {
        if (!path.empty())
            options += std::string(options.empty() ? "" : ",") + name + "=" + quoted(path);
    };
    add("CA", ca);
    add("cert", cert);
    add("key", key);
    return "telnet(rfc2217),ssl" + (options.empty() ? std::string() : "(" + options + ")") + "," + tcp;
}

std::optional<std::string> networkMappingProblem(std::string_view value)
{
    if (!NetworkEndpoint::isNetworkName(value))
        return std::nullopt;
    NetworkEndpoint endpoint;
    return NetworkEndpoint::parse(value, endpoint);
}

} // namespace serial
