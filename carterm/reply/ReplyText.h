#pragma once
// The reply buffer as the parsers read it: the last 418 received characters after line-end
// normalisation, searched from its first character for the first occurrence of a marker, with
// values cut at fixed offsets behind it and cut short where the buffer ends.
#include <optional>
#include <string>
#include <string_view>

namespace carterm::reply {

// Markers both builds read, and the values behind them: 3 velocity characters right after
// "VEL =   ", and the 5 characters of BBT 8 after the "B".
inline constexpr std::string_view kVelocityMarker = "VEL =   ";
inline constexpr std::string_view kBbtMarker = "BBT";
inline constexpr long kValueOffset = 8;
inline constexpr long kVelocityLength = 3;
inline constexpr long kBbtLength = 5;

// How many of the received characters the hidden reply buffer Text1 keeps.
inline constexpr long kReplyBufferSize = 418;

// What the reply buffer keeps of `text`: its last kReplyBufferSize characters.
std::string lastReplyWindow(std::string_view text);

// A value read behind a marker, and where the marker stood (1-based), for callers that follow
// one reply as the buffer slides.
struct MarkedText {
    long markerAt = 0;
    std::string text;
    bool operator==(const MarkedText&) const = default;
};

// `count` characters at `offset` from the first occurrence of `marker`; nothing when the marker
// does not occur.
std::optional<MarkedText> textBehind(std::string_view buffer, std::string_view marker, long offset, long count);
// The same value without the marker's place.
std::optional<std::string> valueBehind(std::string_view buffer, std::string_view marker, long offset, long count);

} // namespace carterm::reply
