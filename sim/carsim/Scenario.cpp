#include "sim/carsim/Scenario.h"

#include <array>
#include <utility>

namespace carsim {

namespace {
constexpr std::array<std::pair<Scenario, std::string_view>, 6> kNames{{
    {Scenario::Normal, "normal"},
    {Scenario::Silence, "silence"},
    {Scenario::Garbage, "garbage"},
    {Scenario::Slow, "slow"},
    {Scenario::Partial, "partial"},
    {Scenario::Hangup, "hangup"},
}};
}  // namespace

std::optional<Scenario> scenarioFromName(std::string_view name)
{
    for (const auto& [scenario, text] : kNames)
        if (text == name)
            return scenario;
    return std::nullopt;
}

std::string_view scenarioName(Scenario scenario)
{
    for (const auto& [s, text] : kNames)
        if (s == scenario)
            return text;
    return "normal";
}

std::string scenarioNameList()
{
    std::string list;
    for (const auto& entry : kNames) {
        if (!list.empty())
            list += ", ";
        list += entry.second;
    }
    return list;
}

}  // namespace carsim
