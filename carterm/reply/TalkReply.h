#pragma once
// What cabtalk reads from the reply buffer. Velocity, BBT and the fault block count only while
// "> PMII" is in the buffer, each marker's first occurrence winning; the fault block is the 76
// characters 8 after "FLT0". The table display reads the first PMI table whatever the marker.
#include "carterm/reply/PmiTable.h"
#include "carterm/reply/ReplyText.h"

#include <optional>
#include <string>
#include <string_view>

namespace carterm::reply {

struct TalkMarkers {
    bool pollAnswer = false; // "> PMII": the others are read only with it
    std::optional<std::string> velocity{};
    std::optional<std::string> bbt{};
    std::optional<std::string> faultBlock{};
    bool operator==(const TalkMarkers&) const = default;
};

TalkMarkers readTalkMarkers(std::string_view buffer);

// Everything cabtalk's rules take from one buffer: the pure entry point for tests and fuzzing.
struct TalkReply {
    TalkMarkers markers;
    std::optional<pmi::TableValues> table;
};
TalkReply parseTalkReply(std::string_view buffer);

} // namespace carterm::reply
