#include "sim/modemsim/TrafficLog.h"

#include <cstdio>

namespace modemsim {

std::string printableBytes(std::string_view bytes)
{
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\\': text += "\\\\"; break;
        case '"': text += "\\\""; break;
        default:
            if (byte >= 0x20 && byte < 0x7f) {
                text += c;
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", byte);
                text += hex;
            }
        }
    }
    return text;
}

void TrafficLog::bytes(const char* direction, std::string_view data) const
{
    if (verbose_)
        std::fprintf(stderr, "modemsim: %s \"%s\"\n", direction, printableBytes(data).c_str());
}

void TrafficLog::event(const std::string& text) const
{
    if (verbose_)
        std::fprintf(stderr, "modemsim: %s\n", text.c_str());
}

void TrafficLog::error(const std::string& text) const
{
    std::fprintf(stderr, "modemsim: %s\n", text.c_str());
}

} // namespace modemsim
