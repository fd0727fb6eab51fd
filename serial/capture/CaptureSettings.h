#pragma once
// Whether and where a serial control records its sessions: filled from the command line and the
// environment at start-up and handed to the controls that record. Off unless asked for, so tests
// and tools that build a control record nothing.
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
};

// A size for the cap: bytes, or a number followed by K, M or G (powers of 1024). Nothing for
// anything else.
std::optional<long long> parseCaptureLimit(std::string_view text);
// The smallest cap accepted: room for a session's header records and a good while of polling,
// so that a capture never starts only to stop at once.
inline constexpr long long kSmallestCaptureLimit = 64LL << 10;
// A size as it would be given: "512K", "1M", "3G", or bytes.
std::string captureLimitText(long long bytes);

} // namespace serial::capture
