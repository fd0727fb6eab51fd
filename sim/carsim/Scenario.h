#pragma once
// The line conditions a technician or a test can ask for.
#include <optional>
#include <string>
#include <string_view>

namespace carsim {

enum class Scenario {
    Normal,   // answers every command at once
    Silence,  // reads everything, never sends a byte
    Garbage,  // bursts of random bytes between replies
    Slow,     // every byte paced at the line rate
    Partial,  // I/O tables cut short at random
    Hangup,   // closes the line after a set time
};

std::optional<Scenario> scenarioFromName(std::string_view name);
std::string_view scenarioName(Scenario scenario);
// "normal, silence, garbage, slow, partial, hangup"
std::string scenarioNameList();

}  // namespace carsim
