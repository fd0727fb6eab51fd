#pragma once
// Where a broker is, as the kit's programs are told it: mqtt://HOST[:PORT] or
// mqtts://HOST[:PORT][?ca=FILE].
#include <optional>
#include <string>
#include <string_view>

namespace mqtt {

struct BrokerAddress {
    bool tls = false;
    std::string host;
    int port = 0;
    std::string ca;   // mqtts only; empty: the system's store
};

// What is wrong with `url`, naming what is accepted; nothing when `out` was filled.
std::optional<std::string> parseBrokerUrl(std::string_view url, BrokerAddress& out);

} // namespace mqtt
