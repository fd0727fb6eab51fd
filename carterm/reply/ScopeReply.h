#pragma once
// What carscope reads from the reply buffer. Recognition (on every change of the buffer) finds
// each marker's first occurrence on its own: "> PMII", the velocity, BBT and the four fault
// registers. The table display reads the first PMI table and the POP, R1, R2, R4 cells.
#include "carterm/reply/PmiTable.h"
#include "carterm/reply/ReplyText.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace carterm::reply {

// "FLT", two blanks and the register's digit; its two fields stand 8 and 14 after the "F".
inline constexpr std::array<std::string_view, 4> kFaultMarkers = {"FLT  0", "FLT  1", "FLT  2", "FLT  3"};
inline constexpr long kFaultFloorOffset = 14;
inline constexpr long kFaultFieldLength = 2;

struct FaultRegister {
    std::string code;
    std::string floor;
    bool operator==(const FaultRegister&) const = default;
};

struct ScopeMarkers {
    bool pollAnswer = false; // "> PMII": the table display is due
    std::optional<MarkedText> velocity{};
    std::optional<std::string> bbt{};
    std::array<std::optional<FaultRegister>, 4> faults{};
    bool operator==(const ScopeMarkers&) const = default;
};

struct ScopeTable {
    pmi::TableValues values;
    // POP, R1, R2, R4 as integers; absent where a cell holds none (a table cut short).
    std::array<std::optional<int>, 4> positionBits;
    // The floor they name, when all four are readable and form one of the seven codes.
    std::optional<int> floor;
};

ScopeMarkers readScopeMarkers(std::string_view buffer);
std::optional<ScopeTable> readScopeTable(std::string_view buffer);

// Everything carscope's rules take from one buffer: the pure entry point for tests and fuzzing.
struct ScopeReply {
    ScopeMarkers markers;
    std::optional<ScopeTable> table;
};
ScopeReply parseScopeReply(std::string_view buffer);

} // namespace carterm::reply
