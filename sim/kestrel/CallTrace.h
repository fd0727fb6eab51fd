#pragma once
// The debug switch: while on, every call is written to standard error as one line, with its
// arguments and result, e.g. "[Kestrel] Kestrel_Close(handle=1) -> 0".
#include <cstdint>
#include <string>

namespace kestrel_sim {

class CallTrace {
public:
    bool enabled = false;

    void call(const std::string& entryPoint, const std::string& arguments, int32_t result,
              const std::string& written = {}) const;
};

// "1 (0x00000001)": masks and packed values read best in both forms.
std::string decimalAndHex(int32_t value);

// Always written, whatever the switch says: something the technician must see.
void warn(const std::string& text);

} // namespace kestrel_sim
