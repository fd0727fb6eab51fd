#include "sim/kestrel/CallTrace.h"

#include <cstdio>

namespace kestrel_sim {

void CallTrace::call(const std::string& entryPoint, const std::string& arguments, int32_t result,
                     const std::string& written) const
{
    if (!enabled)
        return;
    std::string line = "[Kestrel] " + entryPoint + "(" + arguments + ") -> " + std::to_string(result);
    if (!written.empty())
        line += ", " + written;
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

std::string decimalAndHex(int32_t value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%d (0x%08X)", value, static_cast<uint32_t>(value));
    return text;
}

void warn(const std::string& text)
{
    const std::string line = "[Kestrel] " + text + '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace kestrel_sim
