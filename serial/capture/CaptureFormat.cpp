#include "serial/capture/CaptureFormat.h"

#include "serial/CommEvents.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace serial::capture {

namespace {
// "<seconds>.<six digits>" at `out`; returns the end. Every received piece goes through here,
// so no printf.
char* writeDelay(char* out, long long micros)
{
    if (micros < 0)
        micros = 0;
    out = std::to_chars(out, out + 20, micros / 1000000).ptr;
    *out++ = '.';
    long long fraction = micros % 1000000;
    for (int i = 5; i >= 0; --i, fraction /= 10)
        out[i] = static_cast<char>('0' + fraction % 10);
    return out + 6;
}
} // namespace

std::string delayText(long long micros)
{
    char text[32];
    return std::string(text, writeDelay(text, micros));
}

std::optional<long long> parseDelay(std::string_view text)
{
    const auto dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || text.size() - dot - 1 != 6 || dot > 12)
        return std::nullopt;
    long long seconds = 0;
    long long micros = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == dot)
            continue;
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        (i < dot ? seconds : micros) = (i < dot ? seconds : micros) * 10 + (c - '0');
    }
    return seconds * 1000000 + micros;
}

std::string bytesLine(char kind, long long delayMicros, std::size_t count)
{
    char line[64];
    char* out = line;
    *out++ = kind;
    *out++ = ' ';
    out = writeDelay(out, delayMicros);
    *out++ = ' ';
    out = std::to_chars(out, line + sizeof line - 1, count).ptr;
    *out++ = '\n';
    return std::string(line, out);
}

std::string namedLine(char kind, long long delayMicros, std::string_view name, std::string_view value)
{
    std::string line = std::string(1, kind) + ' ' + delayText(delayMicros) + ' ';
    line += name;
    if (!value.empty()) {
        line += ' ';
        // A value is one line: line breaks in a system's text would start a bogus record.
        for (char c : value)
            line += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return line + '\n';
}

namespace {
std::tm utc(std::time_t seconds)
{
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return parts;
}

long long epochMicros(std::chrono::system_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count();
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}
} // namespace

std::string startTimeText(std::chrono::system_clock::time_point t)
{
    const long long us = epochMicros(t);
    const std::tm p = utc(static_cast<std::time_t>(us / 1000000));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06lld+00:00", p.tm_year + 1900, p.tm_mon + 1,
                  p.tm_mday, p.tm_hour, p.tm_min, p.tm_sec, us % 1000000);
    return text;
}

std::optional<long long> parseStartTime(std::string_view text)
{
    int y, mo, d, h, mi, s;
    int used = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used) != 6)
        return std::nullopt;
    long long micros = 0;
    std::size_t i = static_cast<std::size_t>(used);
    if (i < copy.size() && copy[i] == '.') {
        long long scale = 100000;
        for (++i; i < copy.size() && copy[i] >= '0' && copy[i] <= '9'; ++i, scale /= 10)
            micros += (copy[i] - '0') * scale;
    }
    const long long days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    return ((days * 24 + h) * 60 + mi) * 60 * 1000000LL + s * 1000000LL + micros;
}

std::string isoMillis(long long epochMicrosValue)
{
    const long long seconds = epochMicrosValue >= 0 ? epochMicrosValue / 1000000 : 0;
    const std::tm p = utc(static_cast<std::time_t>(seconds));
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lldZ", p.tm_year + 1900, p.tm_mon + 1,
                  p.tm_mday, p.tm_hour, p.tm_min, p.tm_sec, (epochMicrosValue % 1000000) / 1000);
    return text;
}

std::string fileStamp(std::chrono::system_clock::time_point t)
{
    const std::tm p = utc(static_cast<std::time_t>(epochMicros(t) / 1000000));
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", p.tm_year + 1900, p.tm_mon + 1, p.tm_mday,
                  p.tm_hour, p.tm_min, p.tm_sec);
    return text;
}

std::string dataHeaderLine(std::string_view startTime, std::string_view description)
{
    return "Script started on " + std::string(startTime) + " [" + std::string(description) + "]\n";
}

std::string_view eventName(int code)
{
    switch (code) {
    case comEvCTS: return "CTS";
    case comEvDSR: return "DSR";
    case comEvCD: return "CD";
    case comEvRing: return "RING";
    case comEvEOF: return "EOF";
    case comEventBreak: return "BREAK";
    case comEventCTSTO: return "CTS_TIMEOUT";
    case comEventDSRTO: return "DSR_TIMEOUT";
    case comEventFrame: return "FRAMING";
    case comEventOverrun: return "OVERRUN";
    case comEventCDTO: return "CD_TIMEOUT";
    case comEventRxOver: return "RX_OVERFLOW";
    case comEventRxParity: return "PARITY";
    case comEventTxFull: return "TX_FULL";
    default: return "EVENT";
    }
}

std::optional<int> eventCode(std::string_view name)
{
    for (int code : {comEvCTS, comEvDSR, comEvCD, comEvRing, comEvEOF, comEventBreak, comEventCTSTO, comEventDSRTO,
                     comEventFrame, comEventOverrun, comEventCDTO, comEventRxOver, comEventRxParity, comEventTxFull})
        if (eventName(code) == name)
            return code;
    return std::nullopt;
}

CapturePaths capturePaths(std::string_view given)
{
    std::string stem(given);
    for (std::string_view suffix : {kTimingSuffix, kDataSuffix})
        if (stem.size() > suffix.size() && stem.ends_with(suffix)) {
            stem.resize(stem.size() - suffix.size());
            break;
        }
    return {stem + std::string(kTimingSuffix), stem + std::string(kDataSuffix), stem};
}

} // namespace serial::capture
