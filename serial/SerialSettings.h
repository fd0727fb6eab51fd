#pragma once
// The settings string of the serial control, "baud,parity,data,stop", parsed and printed in one
// place so that every window reports the same canonical form (for example "1200,n,8,1").
#include "serial/CommError.h"

#include <string>
#include <string_view>

namespace serial {

enum class StopBits { One, OneAndHalf, Two };

struct SerialSettings {
    int baudRate = 9600;
    char parity = 'n';   // n, e, o, m or s
    int dataBits = 8;    // 5 to 8
    StopBits stopBits = StopBits::One;

    // Canonical text: decimal baud rate, lower-case parity, data bits, "1", "1.5" or "2".
    std::string text() const;

    // Parses `text` into `out`. Spaces around a field are allowed and parity may be upper case.
    // A malformed string leaves `out` untouched and returns errInvalidValue with a text saying
    // what was wrong and which form is accepted.
    static CommError parse(std::string_view text, SerialSettings& out);

    bool operator==(const SerialSettings&) const = default;
};

} // namespace serial
