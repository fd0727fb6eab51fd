#pragma once
// The certificate files a TLS mapping names (ca=, cert=, key=), looked at before anything
// connects: each must be there, a regular file (a FIFO would hold the connecting thread for good)
// or, for ca=, a folder, readable, and hold what its option says; the key must be the one of
// the certificate. TLS itself only says "unable to find given certificate" for all of these.
#include "serial/NetworkEndpoint.h"

#include <optional>
#include <string>

namespace serial::network {

// What is wrong with the endpoint's certificate files, naming the option and the file; nothing
// when they will do (or when the endpoint names none).
std::optional<std::string> certificateFilesProblem(const NetworkEndpoint& endpoint);

} // namespace serial::network
