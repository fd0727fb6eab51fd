#include "sim/kestrel/Scenario.h"

#include <charconv>
#include <utility>

#include "sim/kestrel/PointModel.h"
#include "toolkit/TextOps.h"

namespace kestrel_sim {
namespace {

constexpr std::string_view kAccepted =
    "accepted: normal, open-fails, config-fails, write-fails, momo-fails, read-fails, "
    "close-fails, stuck:BIT=0|1, short:A,B (points 0-31), several separated by ';'";

// A point number 0..31 written in decimal, nothing else.
std::optional<int> pointNumber(std::string_view text)
{
    text = toolkit::trimmed(text);
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value < 0 || value >= kPointsPerBus)
        return std::nullopt;
    return value;
}

bool parseItem(std::string_view item, Scenario& scenario, std::string& why)
{
    const auto fail = [&](const std::string& what) {
        why = what + "; " + std::string(kAccepted);
        return false;
    };

    if (item == "normal")
        return true;
    static constexpr std::pair<std::string_view, bool Scenario::*> kFaults[] = {
        {"open-fails", &Scenario::openFails}, {"config-fails", &Scenario::configFails},
        {"write-fails", &Scenario::writeFails}, {"momo-fails", &Scenario::momoFails},
        {"read-fails", &Scenario::readFails}, {"close-fails", &Scenario::closeFails}};
    for (const auto& [name, fails] : kFaults)
        if (item == name)
            return scenario.*fails = true;

    if (item.rfind("stuck:", 0) == 0) {
        const std::string_view rest = item.substr(6);
        const auto equals = rest.find('=');
        if (equals == std::string_view::npos)
            return fail("\"" + std::string(item) + "\" has no '=' (write stuck:BIT=0 or stuck:BIT=1)");
        const auto point = pointNumber(rest.substr(0, equals));
        const std::string_view level = toolkit::trimmed(rest.substr(equals + 1));
        if (!point)
            return fail("\"" + std::string(item) + "\" names no point 0-31");
        if (level != "0" && level != "1")
            return fail("\"" + std::string(item) + "\" must end in =0 or =1");
        scenario.stuck.push_back({*point, level == "1"});
        return true;
    }

    if (item.rfind("short:", 0) == 0) {
        const std::string_view rest = item.substr(6);
        const auto comma = rest.find(',');
        if (comma == std::string_view::npos)
            return fail("\"" + std::string(item) + "\" needs two points (write short:A,B)");
        const auto first = pointNumber(rest.substr(0, comma));
        const auto second = pointNumber(rest.substr(comma + 1));
        if (!first || !second)
            return fail("\"" + std::string(item) + "\" names no two points 0-31");
        if (*first == *second)
            return fail("\"" + std::string(item) + "\" shorts a point to itself");
        scenario.shorts.push_back({*first, *second});
        return true;
    }

    return fail("unknown fault \"" + std::string(item) + "\"");
}

} // namespace

std::optional<Scenario> parseScenario(std::string_view text, std::string& why)
{
    Scenario scenario;
    while (true) {
        const auto separator = text.find(';');
        const std::string_view item = toolkit::trimmed(text.substr(0, separator));
        if (!item.empty() && !parseItem(item, scenario, why))
            return std::nullopt;
        if (separator == std::string_view::npos)
            break;
        text.remove_prefix(separator + 1);
    }
    return scenario;
}

} // namespace kestrel_sim
