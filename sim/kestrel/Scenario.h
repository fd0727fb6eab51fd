#pragma once
// Faults injected into an adapter, read from KESTREL_SCENARIO when it is opened.
// Syntax (README.md): items separated by ';', each one of open-fails, config-fails, write-fails,
// momo-fails, read-fails, close-fails, stuck:BIT=0|1, short:A,B. Empty or "normal" means none.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel_sim {

struct StuckPoint {
    int point;
    bool level;
};

struct ShortedPoints {
    int first;
    int second;
};

struct Scenario {
    bool openFails = false;
    bool configFails = false;
    bool writeFails = false;
    bool momoFails = false;
    bool readFails = false;
    bool closeFails = false;
    std::vector<StuckPoint> stuck;
    std::vector<ShortedPoints> shorts;
};

// The scenario, or nothing with `why` saying what was wrong and what is accepted.
std::optional<Scenario> parseScenario(std::string_view text, std::string& why);

} // namespace kestrel_sim
