#include "runecast/ModeTable.h"

#include <array>
#include <utility>

namespace runecast {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 22> kModes{{
    {"1", "SAFETIES"},
    {"4", "INSPECTION"},
    {"5", "### INIT"},
    {"6", "Drive FLT"},
    {"8", "OVERLOAD"},
    {"10", "FIRE PH 2"},
    {"11", "FIRE PH 1"},
    {"12", "CODE BLUE"},
    {"13", "EM RECALL"},
    {"14", "HOMING"},
    {"15", "INDEPEND"},
    {"16", "ATT"},
    {"17", "DOOR DISC"},
    {"18", "REAR DISC"},
    {"20", "LBY IND"},
    {"21", "DISP LOSS"},
    {"22", "STOP SW"},
    {"23", "SERV PROT"},
    {"24", "LOAD BP"},
    {"25", "SECURITY"},
    {"26", "AUTOMATIC"},
    {"27", "IR SERV"},
}};

} // namespace

std::string modeName(std::string_view text)
{
    for (const auto& [number, name] : kModes) {
        if (number == text)
            return std::string(name);
    }
    return {};
}

} // namespace runecast
