#include "cartrace/TimeArgument.h"

#include "serial/capture/CaptureFormat.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace cartrace {

namespace {

constexpr long long kDay = 86400LL * 1000000;

// Reads `count` digits at `at` into `value`; false when they are not there.
bool digits(std::string_view text, std::size_t& at, std::size_t count, int& value)
{
    value = 0;
    for (std::size_t end = at + count; at < end; ++at) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9')
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

// A fraction of a second after the point, up to the microsecond (further digits are dropped).
bool fraction(std::string_view text, std::size_t& at, long long& micros)
{
    micros = 0;
    if (at >= text.size() || text[at] != '.')
        return true;
    long long scale = 100000;
    const std::size_t first = ++at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
        micros += (text[at] - '0') * scale;
    return at > first;
}

// "HH:MM:SS[.fff]" from `at`: microseconds into the day.
std::optional<long long> clock(std::string_view text, std::size_t& at)
{
    int h, m, s;
    const std::size_t hourDigits = text.size() > at + 1 && text[at + 1] == ':' ? 1 : 2;
    long long micros;
    if (!digits(text, at, hourDigits, h) || at >= text.size() || text[at++] != ':' || !digits(text, at, 2, m)
        || at >= text.size() || text[at++] != ':' || !digits(text, at, 2, s) || !fraction(text, at, micros))
        return std::nullopt;
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return ((h * 60LL + m) * 60 + s) * 1000000 + micros;
}

std::string seconds(long long micros)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(micros) / 1e6);
    return text;
}

} // namespace

std::optional<long long> parseTimeArgument(const std::string& given, long long start, long long duration)
{
    const std::string_view text = given;
    // Seconds from the start: digits, and a fraction.
    {
        std::size_t at = 0;
        long long whole = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && at < 12; ++at)
            whole = whole * 10 + (text[at] - '0');
        long long micros;
        if (at > 0 && fraction(text, at, micros) && at == text.size())
            return whole * 1000000 + micros;
    }
    // A time of day, on the first day of the capture or the next.
    {
        std::size_t at = 0;
        if (const auto ofDay = clock(text, at); ofDay && at == text.size()) {
            const long long day = start - start % kDay;
            const long long first = day + *ofDay - start;
            return first < 0 && first + kDay <= duration ? first + kDay : first;
        }
    }
    // A full UTC time.
    std::size_t at = 0;
    int y, mo, d;
    if (!digits(text, at, 4, y) || at >= text.size() || text[at++] != '-' || !digits(text, at, 2, mo)
        || at >= text.size() || text[at++] != '-' || !digits(text, at, 2, d) || at >= text.size()
        || (text[at] != 'T' && text[at] != 't' && text[at] != ' '))
        return std::nullopt;
    ++at;
    const auto ofDay = clock(text, at);
    const std::string_view zone = text.substr(at);
    if (!ofDay || mo < 1 || mo > 12 || d < 1 || d > 31 || !(zone.empty() || zone == "Z" || zone == "z" || zone == "+00:00"))
        return std::nullopt;
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", y, mo, d);
    const auto midnight = serial::capture::parseStartTime(std::string(date) + " 00:00:00");
    if (!midnight)
        return std::nullopt;
    return *midnight + *ofDay - start;
}

std::string captureSpan(long long start, long long duration)
{
    const std::string from = serial::capture::isoMillis(start);
    const std::string to = serial::capture::isoMillis(start + duration);
    const std::string clocks = from.substr(0, 10) == to.substr(0, 10)
        ? "from " + from.substr(11, 8) + " to " + to.substr(11, 8) + " UTC on " + from.substr(0, 10)
        : "from " + from.substr(0, 10) + " " + from.substr(11, 8) + " to " + to.substr(0, 10) + " " + to.substr(11, 8) + " UTC";
    return "the capture, which runs " + clocks + " (0 to " + seconds(duration) + " s)";
}

TimeRange resolveTimeRange(const std::string& fromText, const std::string& toText, long long start, long long duration)
{
    TimeRange range{0, duration, {}};
    const auto take = [&](const std::string& text, const char* name, long long& into) {
        if (text.empty())
            return true;
        const auto t = parseTimeArgument(text, start, duration);
        if (!t) {
            range.error = std::string("--") + name + " \"" + text + "\" is not a time: give seconds from the start (90 or "
                          "90.5), a UTC time of day (03:05:00) or a UTC date and time (2026-12-09T03:05:00Z)";
            return false;
        }
        into = *t;
        return true;
    };
    if (!take(fromText, "from", range.from) || !take(toText, "to", range.to))
        return range;
    if (range.from > duration)
        range.error = "--from " + fromText + " is after the end of " + captureSpan(start, duration);
    else if (range.to < 0)
        range.error = "--to " + toText + " is before the start of " + captureSpan(start, duration);
    else if (range.to <= range.from)
        range.error = "--to must be later than --from";
    range.from = std::max(range.from, 0LL);
    range.to = std::min(range.to, duration);
    return range;
}

} // namespace cartrace
