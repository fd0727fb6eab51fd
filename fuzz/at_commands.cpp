// The modem's command-line parser, by its invariants: case does not matter, numbers stay under
// their ceiling, A, O and Z end a line, and the commands read print back to a line that reads
// as the same commands.
#include "sim/modemsim/AtCommandParser.h"
#include "fuzz/FuzzCheck.h"

#include <cctype>
#include <optional>

using modemsim::AtCommand;
using modemsim::ParsedCommandLine;
using Kind = AtCommand::Kind;

namespace {

// The commands as one line; nothing for a kind this target has no printed form for yet, whose
// lines then skip the round trip.
std::optional<std::string> printed(const std::vector<AtCommand>& commands)
{
    std::string out;
    for (const AtCommand& c : commands) {
        const std::string n = std::to_string(c.value);
        const std::string reg = c.reg ? "S" + std::to_string(*c.reg) : "";
        switch (c.kind) {
        case Kind::Echo: out += "E" + n; break;
        case Kind::Quiet: out += "Q" + n; break;
        case Kind::Verbose: out += "V" + n; break;
        case Kind::Reset: out += "Z" + n; break;
        case Kind::HangUp: out += "H" + n; break;
        case Kind::Answer: out += "A"; break;
        case Kind::Online: out += "O" + n; break;
        case Kind::SelectRegister: out += reg; break;
        case Kind::SetRegister: out += reg + "=" + n; break;
        case Kind::ReadRegister: out += reg + "?"; break;
        case Kind::DsrOption: out += "&S" + n; break;
        default: return std::nullopt;
        }
    }
    return out;
}

std::string withCase(std::string_view s, int (*change)(int))
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view body = fuzz::asText(data, size);
    const ParsedCommandLine parsed = modemsim::parseCommandBody(body);

    fuzz::check(parsed.commands.size() <= body.size(), "every command takes at least one character", body);
    for (size_t i = 0; i < parsed.commands.size(); ++i) {
        const AtCommand& c = parsed.commands[i];
        fuzz::check(c.value <= modemsim::kNumberCeiling && c.reg.value_or(0) <= modemsim::kNumberCeiling,
                    "numbers are held at their ceiling", body);
        const bool endsLine = c.kind == Kind::Answer || c.kind == Kind::Online || c.kind == Kind::Reset;
        fuzz::check(!endsLine || i + 1 == parsed.commands.size(), "A, O and Z end the line", body);
    }

    const auto line = printed(parsed.commands);
    if (!line)
        return 0;
    const auto shown = [](const ParsedCommandLine& p) { return printed(p.commands).value_or("?"); };
    fuzz::checkEqual(shown(modemsim::parseCommandBody(withCase(body, ::tolower))), *line, "lower case reads as the text does");
    fuzz::checkEqual(shown(modemsim::parseCommandBody(withCase(body, ::toupper))), *line, "upper case reads as the text does");
    const ParsedCommandLine again = modemsim::parseCommandBody(*line);
    fuzz::check(again.complete && again.commands == parsed.commands, "the commands read print back the same",
                shown(again), *line);
    return 0;
}
