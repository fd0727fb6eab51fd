#pragma once
// The host-name check of a server certificate, which gensio's TLS layer leaves to us: the names
// in the subject alternative names, or the common name when the certificate has none.
#include <string>
#include <string_view>

namespace serial::network {

// Empty when the PEM certificate `pem` was issued for `host` (a name or an IP address);
// otherwise why not, naming the names the certificate carries.
std::string certificateHostProblem(std::string_view pem, const std::string& host);

} // namespace serial::network
