#include "serial/SettingsInForce.h"

#include <cstdlib>
#include <vector>

namespace carterm {

namespace {
const char* stopBitsText(StopBits bits)
{
    return bits == StopBits::Two ? "2" : bits == StopBits::OneAndHalf ? "1.5" : "1";
}
} // namespace

std::string settingsInForceText(int port, const SerialSettings& asked, const SerialSettings& inForce)
{
    std::vector<std::string> refused;
    // Within 2% the two ends of a line still understand each other: no news for the technician.
    if (std::llabs(static_cast<long long>(inForce.baudRate) - asked.baudRate) * 50 > asked.baudRate)
        refused.push_back(std::to_string(asked.baudRate) + " baud");
    if (inForce.parity != asked.parity)
        refused.push_back(std::string("parity ") + asked.parity);
    if (inForce.dataBits != asked.dataBits)
        refused.push_back(std::to_string(asked.dataBits) + " data bits");
    if (inForce.stopBits != asked.stopBits)
        refused.push_back(std::string(stopBitsText(asked.stopBits)) + " stop bits");
    if (refused.empty())
        return {};
    std::string text = "COM" + std::to_string(port) + " runs at " + inForce.text() + ": the device does not take ";
    for (std::size_t i = 0; i < refused.size(); ++i)
        text += (i == 0 ? "" : i + 1 == refused.size() ? " or " : ", ") + refused[i];
    return text + ".";
}

} // namespace carterm
