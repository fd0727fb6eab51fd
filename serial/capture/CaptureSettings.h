#pragma once
// Whether and where the serial control records its sessions; one set for the whole program,
// filled from the command line and the environment at start-up. Off until then, so tests and
// tools that build a control record nothing unless they ask for it.
#include <optional>
#include <string>
#include <string_view>

namespace serial::capture {

struct CaptureSettings {
    bool enabled = false;
    std::string folder;                    // where the session files go
    long long limitBytes = 500LL << 20;    // the folder's cap
    std::string program = "hoistwise";     // names the files and the PROGRAM header
    std::string version;

    static CaptureSettings& current();
};

// A size for the cap: bytes, or a number followed by K, M or G (powers of 1024). Nothing for
// anything else.
std::optional<long long> parseCaptureLimit(std::string_view text);

} // namespace serial::capture
