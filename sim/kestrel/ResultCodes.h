#pragma once
// Results the simulated library returns. Kept stable: the README lists them for technicians.
#include <cstdint>

namespace kestrel_sim::code {

constexpr int32_t ok = 0;
constexpr int32_t badHandle = 1;       // never opened, or already closed
constexpr int32_t badBus = 2;          // bus other than 0 or 1
constexpr int32_t nullArgument = 3;    // handle or value pointer is null
constexpr int32_t badBoard = 4;        // board id or base address outside 0..0xFFFF
constexpr int32_t tooManyOpen = 5;     // more adapters open at once than the library holds
constexpr int32_t injectedFault = 6;   // the scenario made this call fail
constexpr int32_t badScenario = 7;     // KESTREL_SCENARIO could not be read; nothing was opened
constexpr int32_t internalFailure = 8; // the library ran out of memory or similar

} // namespace kestrel_sim::code
