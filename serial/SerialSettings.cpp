#include "serial/SerialSettings.h"

#include "toolkit/TextOps.h"

#include <charconv>
#include <climits>
#include <vector>

namespace serial {

namespace {

constexpr std::string_view acceptedForm =
    "Use the form \"9600,n,8,1\": baud rate, parity n/e/o/m/s, data bits 5-8, stop bits 1/1.5/2.";

std::vector<std::string_view> splitOnCommas(std::string_view s)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = s.find(',');
        fields.push_back(toolkit::trimmed(s.substr(0, comma)));
        if (comma == std::string_view::npos)
            return fields;
        s.remove_prefix(comma + 1);
    }
}

CommError refusal(std::string_view text, const std::string& reason)
{
    return {errInvalidValue, "Settings \"" + std::string(text) + "\" not accepted: " + reason + ". "
                                 + std::string(acceptedForm)};
}

std::string quoted(std::string_view field)
{
    return "\"" + std::string(field) + "\"";
}

} // namespace

std::string SerialSettings::text() const
{
    const char* stop = stopBits == StopBits::One ? "1" : stopBits == StopBits::Two ? "2" : "1.5";
    return std::to_string(baudRate) + ',' + parity + ',' + std::to_string(dataBits) + ',' + stop;
}

CommError SerialSettings::parse(std::string_view text, SerialSettings& out)
{
    const auto fields = splitOnCommas(text);
    if (fields.size() != 4)
        return refusal(text, "it has " + std::to_string(fields.size())
                                 + (fields.size() == 1 ? " part" : " parts")
                                 + " where 4 separated by commas are needed");

    SerialSettings parsed;

    const auto baud = fields[0];
    long long rate = 0;
    const bool allDigits = !baud.empty() && baud.find_first_not_of("0123456789") == std::string_view::npos;
    if (!allDigits)
        return refusal(text, "baud rate " + quoted(baud) + " is not a whole number");
    const auto [end, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), rate);
    if (ec != std::errc() || end != baud.data() + baud.size() || rate > INT_MAX)
        return refusal(text, "baud rate " + quoted(baud) + " is too large");
    if (rate < 1)
        return refusal(text, "baud rate must be greater than 0");
    parsed.baudRate = static_cast<int>(rate);

    const auto parity = fields[1];
    const std::string_view parities = "neoms";
    if (parity.size() != 1 || parities.find(static_cast<char>(parity[0] | 0x20)) == std::string_view::npos)
        return refusal(text, "parity " + quoted(parity) + " is not one of n, e, o, m, s");
    parsed.parity = static_cast<char>(parity[0] | 0x20);

    const auto data = fields[2];
    if (data.size() != 1 || data[0] < '5' || data[0] > '8')
        return refusal(text, "data bits " + quoted(data) + " must be 5, 6, 7 or 8");
    parsed.dataBits = data[0] - '0';

    const auto stop = fields[3];
    if (stop == "1")
        parsed.stopBits = StopBits::One;
    else if (stop == "1.5")
        parsed.stopBits = StopBits::OneAndHalf;
    else if (stop == "2")
        parsed.stopBits = StopBits::Two;
    else
        return refusal(text, "stop bits " + quoted(stop) + " must be 1, 1.5 or 2");

    out = parsed;
    return {};
}

} // namespace serial
