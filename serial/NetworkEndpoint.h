#pragma once
// A port mapped to a serial server on the network instead of a local device:
// rfc2217://HOST:PORT (telnet with the com-port control), rfc2217s://HOST:PORT (the same over
// TLS, optionally ?ca=FILE&cert=FILE&key=FILE) and tcp://HOST:PORT (a bare byte stream).
#include <optional>
#include <string>
#include <string_view>

namespace serial {

struct NetworkEndpoint {
    enum class Kind { Rfc2217, Rfc2217Tls, Tcp };

    Kind kind = Kind::Rfc2217;
    std::string host;   // a name, an IPv4 address, or an IPv6 address without its brackets
    int port = 0;
    std::string ca;     // CA file or folder checking the server; empty: the system's store
    std::string cert;   // our own certificate, for servers that authenticate clients
    std::string key;

    // True for every value that names a network port, well formed or not: "<scheme>://...".
    static bool isNetworkName(std::string_view value);
    // Parses `value` into `out`. What is wrong with it otherwise, saying which forms are accepted.
    static std::optional<std::string> parse(std::string_view value, NetworkEndpoint& out);

    bool encrypted() const { return kind == Kind::Rfc2217Tls; }
    bool lineControl() const { return kind != Kind::Tcp; }
    // "RFC 2217", "RFC 2217 over TLS", "raw TCP".
    std::string kindName() const;
    // "HOST:PORT", with brackets around an IPv6 address.
    std::string address() const;
    // The gensio stack that reaches the server, for example "telnet(rfc2217),tcp,mr3,3001".
    std::string gensioString() const;
};

// The problem with a mapped value that is meant as a network port, or nothing when the value
// is a device path or a well-formed network port.
std::optional<std::string> networkMappingProblem(std::string_view value);

} // namespace serial
