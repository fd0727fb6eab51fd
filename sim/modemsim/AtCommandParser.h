#pragma once
// Splits the text after "AT" into single commands. Pure text work: whether a command can run
// (a register exists, a call is there to answer) is the modem's decision.
#include <optional>
#include <string_view>
#include <vector>

namespace modemsim {

struct AtCommand {
    enum class Kind {
        Echo,           // En
        Quiet,          // Qn
        Verbose,        // Vn
        ResultSet,      // Xn
        Identify,       // In
        Reset,          // Zn
        HangUp,         // Hn
        Answer,         // A
        Online,         // On
        SelectRegister, // Sn
        SetRegister,    // Sn=v, or =v on the selected register
        ReadRegister,   // Sn?, or ? on the selected register
        DsrOption,      // &Sn
    };
    Kind kind;
    // Register commands: the register named, or none for the one last selected.
    std::optional<unsigned> reg;
    // The number after the command letter (0 when left out, as Hayes modems assume).
    unsigned value = 0;

    bool operator==(const AtCommand&) const = default;
};

struct ParsedCommandLine {
    // The commands up to the first one that cannot be parsed, or up to A, O or Z, which end a line.
    std::vector<AtCommand> commands;
    // False when parsing stopped at something it could not read: the modem answers ERROR after
    // running the commands before it.
    bool complete = true;
};

// Numbers larger than this are kept at this value; they are refused later as out of range.
inline constexpr unsigned kNumberCeiling = 100000;

// `body` is the command line after its "AT", in any case, blanks already removed.
ParsedCommandLine parseCommandBody(std::string_view body);

} // namespace modemsim
