#include "serial/SettingsInForce.h"

#include <vector>

namespace serial {

namespace {

std::string stopText(StopBits stop)
{
    return stop == StopBits::One ? "1 stop bit" : stop == StopBits::Two ? "2 stop bits" : "1.5 stop bits";
}

} // namespace

std::string settingsInForceNotice(const std::string& port, const SerialSettings& asked, const SerialSettings& inForce)
{
    std::vector<std::string> differences;
    if (inForce.baudRate != asked.baudRate)
        differences.push_back("at " + std::to_string(inForce.baudRate) + " baud, not " + std::to_string(asked.baudRate));
    if (inForce.dataBits != asked.dataBits)
        differences.push_back("with " + std::to_string(inForce.dataBits) + " data bits, not " + std::to_string(asked.dataBits));
    if (inForce.parity != asked.parity)
        differences.push_back(std::string("with parity ") + inForce.parity + ", not " + asked.parity);
    if (inForce.stopBits != asked.stopBits)
        differences.push_back("with " + stopText(inForce.stopBits) + ", not " + stopText(asked.stopBits));
    if (differences.empty())
        return {};
    std::string text = port + " runs ";
    for (std::size_t i = 0; i < differences.size(); ++i)
        text += (i == 0 ? "" : i + 1 == differences.size() ? " and " : ", ") + differences[i];
    return text + " (settings in force: " + inForce.text() + ")";
}

} // namespace serial
