#pragma once
// The controller's replies, byte for byte. Every line ends in CR LF. The terminals cut values out
// of these replies at fixed offsets from their marker strings, so the widths here are fixed.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/SignalTable.h"

#include <string>
#include <string_view>

namespace carsim {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kPmiMarker = "> PMII";
inline constexpr std::string_view kPmiHeader = "PMI #  = = = = = = = = = = = = = = = =";
inline constexpr std::string_view kVelocityMarker = "VEL =   ";
inline constexpr std::string_view kBbtMarker = "BBT";
inline constexpr std::string_view kFaultBlockMarker = "FLT0";

// "> PMII", the header and eight data lines of a 7-character label and sixteen cells.
std::string formatPmiReply(const PmiTable& table);
// "VEL =   " and the speed right-aligned in 3 characters ("  0" at rest), clamped to 0-999.
std::string formatVelocityReply(int feetPerMinute);
// "BBT  =  " and the seconds as 5 characters ("11.31", " 6.52"), clamped to 0.00-99.99.
std::string formatBbtReply(double seconds);
// "FLT0 =", then "FLT  n  cc FL ff" per register (cc = fault code, ff = floor), then "OK":
// 84 characters from the "F" of "FLT0".
std::string formatFaultReply(const FaultRegisters& faults);

std::string formatCallAccepted(int floor);  // "CALL 5"
std::string formatCallRefused();            // "NO CALL"
std::string formatInstallAck();             // "INSTALL OK"
std::string formatUnknownCommand();         // "?"

}  // namespace carsim
