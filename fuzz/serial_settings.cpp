// The settings string parser against a reference of the accepted form, and its canonical text:
// whatever is accepted prints as "baud,parity,data,stop" and reads back as the same settings.
#include "fuzz/FuzzCheck.h"
#include "toolkit/TextOps.h"
#include "serial/SerialSettings.h"

#include <climits>
#include <optional>

using serial::SerialSettings;
using serial::StopBits;

namespace {

// Four comma-separated fields: decimal baud 1..INT_MAX, parity n/e/o/m/s in either case, data
// bits 5-8, stop bits 1, 1.5 or 2; blanks and tabs around each field.
std::optional<serial::SerialSettings> reference(std::string_view s)
{
    std::vector<std::string_view> f;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == ',') {
            f.push_back(toolkit::trimmed(s.substr(start, i - start)));
            start = i + 1;
        }
    if (f.size() != 4 || f[0].empty())
        return std::nullopt;
    long long baud = 0;
    for (char c : f[0]) {
        if (c < '0' || c > '9')
            return std::nullopt;
        baud = baud * 10 + (c - '0');
        if (baud > INT_MAX)
            return std::nullopt;
    }
    if (baud < 1)
        return std::nullopt;
    serial::SerialSettings r;
    r.baudRate = static_cast<int>(baud);
    if (f[1].size() != 1 || std::string_view("neomsNEOMS").find(f[1][0]) == std::string_view::npos)
        return std::nullopt;
    r.parity = static_cast<char>(f[1][0] >= 'a' ? f[1][0] : f[1][0] + ('a' - 'A'));
    if (f[2].size() != 1 || f[2][0] < '5' || f[2][0] > '8')
        return std::nullopt;
    r.dataBits = f[2][0] - '0';
    if (f[3] == "1")
        r.stopBits = serial::StopBits::One;
    else if (f[3] == "1.5")
        r.stopBits = serial::StopBits::OneAndHalf;
    else if (f[3] == "2")
        r.stopBits = serial::StopBits::Two;
    else
        return std::nullopt;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    const serial::SerialSettings untouched{300, 'm', 5, serial::StopBits::Two};
    serial::SerialSettings got = untouched;
    const serial::CommError error = serial::SerialSettings::parse(text, got);
    const auto want = reference(text);

    fuzz::check(!error == want.has_value(), "accepted exactly when the reference accepts", error.text, text);
    if (!want) {
        fuzz::check(got == untouched, "a refused string leaves the settings untouched", got.text());
        fuzz::check(error.number == serial::errInvalidValue && error.text.find("9600,n,8,1") != std::string::npos,
                    "a refusal says which form is accepted", error.text);
        return 0;
    }
    fuzz::checkEqual(got.text(), want->text(), "parsed as the reference reads it");
    serial::SerialSettings again;
    fuzz::check(!serial::SerialSettings::parse(got.text(), again) && again == got, "the canonical text reads back the same",
                again.text(), got.text());
    return 0;
}
