#include "carwatch/CarReading.h"

#include "carterm/FaultText.h"
#include "carterm/reply/PmiTable.h"
#include "carterm/reply/ScopeReply.h"

#include <ctime>

namespace carwatch {

namespace reply = carterm::reply;
namespace pmi = carterm::pmi;

namespace {

// Characters from a reply's marker to its last value, by the parser's own offsets.
long replyLength(Request request)
{
    switch (request) {
    case Request::Table:
        return pmi::cellPosition(1, 8, pmi::kRows) + 1;
    case Request::Velocity:
        return reply::kValueOffset + reply::kVelocityLength;
    case Request::Bbt:
        return reply::kValueOffset + reply::kBbtLength;
    case Request::Faults:
        return reply::kFaultFloorOffset + reply::kFaultFieldLength;
    }
    return 0;
}

// The marker whose value comes last in the answer: the fault reply ends with register 3.
std::string_view lastMarker(Request request)
{
    switch (request) {
    case Request::Table:
        return pmi::kHeader;
    case Request::Velocity:
        return reply::kVelocityMarker;
    case Request::Bbt:
        return reply::kBbtMarker;
    case Request::Faults:
        return reply::kFaultMarkers[3];
    }
    return {};
}

// The fault table's descriptions are Windows-1252; JSON carries UTF-8.
void appendUtf8(std::string& out, unsigned char c)
{
    static const char16_t k80[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                     0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    const unsigned cp = c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c >= 0x80)
            appendUtf8(out, c);
        else
            out += ch;
    }
    return out + "\"";
}

template <class T>
std::string orNull(const std::optional<T>& value)
{
    if (!value)
        return "null";
    if constexpr (std::is_same_v<T, std::string>)
        return jsonString(*value);
    else
        return std::to_string(*value);
}

std::string faultFields(const FaultEntry& e)
{
    return "\"code\":" + std::to_string(e.code) + ",\"floor\":" + std::to_string(e.floor) +
           ",\"description\":" + jsonString(carterm::faultText(e.code));
}

int number(std::string_view cell)
{
    const auto n = pmi::cellInteger(cell);
    return n ? *n : 0;
}

} // namespace

std::string_view requestText(Request request)
{
    switch (request) {
    case Request::Table:
        return "pmii\r";
    case Request::Velocity:
        return "vel\r";
    case Request::Bbt:
        return "bbt\r";
    case Request::Faults:
        return "flt0\r";
    }
    return {};
}

int replySize(Request request) { return request == Request::Table ? 420 : request == Request::Faults ? 100 : 30; }

bool replyComplete(Request request, std::string_view text)
{
    const auto at = text.find(lastMarker(request));
    return at != std::string_view::npos && static_cast<long>(text.size() - at) >= replyLength(request);
}

std::vector<FaultEntry> newFaultEntries(const FaultLog& before, const FaultLog& now)
{
    std::size_t shift = 0;
    while (shift < now.size() && !std::equal(now.begin() + static_cast<long>(shift), now.end(), before.begin()))
        ++shift;
    std::vector<FaultEntry> fresh;
    for (std::size_t i = shift; i-- > 0;)
        if (now[i].code != 0)
            fresh.push_back(now[i]);
    return fresh;
}

std::vector<FaultEntry> applyReply(Request request, std::string_view text, CarReading& reading)
{
    switch (request) {
    case Request::Table: {
        const auto table = reply::readScopeTable(text);
        if (!table)
            return {};
        if (table->floor)
            reading.floor = *table->floor;
        std::bitset<reply::kSignalCount> bits;
        for (std::size_t i = 0; i < reply::kSignalCount; ++i) {
            const reply::SignalName& s = reply::kSignalNames[i];
            bits[i] = pmi::cellInteger(table->values.value(s.col + 1, s.row)) == 1;
        }
        reading.signalBits = bits;
        reading.moving = pmi::smValue(table->values) == 1;
        if (!reading.moving)
            reading.velocity = 0;   // the window's SM check shows "  0"
        return {};
    }
    case Request::Velocity:
        if (const auto v = reply::readScopeMarkers(text).velocity)
            if (const auto n = pmi::cellInteger(v->text))
                reading.velocity = *n;
        return {};
    case Request::Bbt:
        if (auto bbt = reply::readScopeMarkers(text).bbt)
            reading.bbt = std::move(*bbt);
        return {};
    case Request::Faults: {
        const auto markers = reply::readScopeMarkers(text);
        FaultLog log;
        for (std::size_t n = 0; n < log.size(); ++n) {
            if (!markers.faults[n])
                return {};   // cut short: wait for a whole log
            log[n] = {number(markers.faults[n]->code), number(markers.faults[n]->floor)};
        }
        std::vector<FaultEntry> fresh;
        if (reading.faults)
            fresh = newFaultEntries(*reading.faults, log);
        reading.faults = log;
        return fresh;
    }
    }
    return {};
}

std::string isoTime(std::chrono::system_clock::time_point t)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03dZ", text, static_cast<int>(ms % 1000));
    return full;
}

std::string stateJson(const CarReading& reading, std::string_view link, std::string_view time, double poll)
{
    char pollText[32];
    std::snprintf(pollText, sizeof pollText, "%g", poll);
    std::string out = "{\"time\":" + jsonString(time) + ",\"poll\":" + pollText + ",\"link\":" + jsonString(link) +
                      ",\"floor\":" + orNull(reading.floor) + ",\"velocity\":" + orNull(reading.velocity) +
                      ",\"bbt\":" + orNull(reading.bbt) + ",\"faults\":";
    if (reading.faults) {
        out += '[';
        bool first = true;
        for (const FaultEntry& e : *reading.faults)
            if (e.code != 0) {
                out += (first ? "{" : ",{") + faultFields(e) + "}";
                first = false;
            }
        out += ']';
    } else
        out += "null";
    out += ",\"signals\":";
    if (reading.signalBits) {
        out += '{';
        for (std::size_t i = 0; i < reply::kSignalCount; ++i)
            out += (i ? ",\"" : "\"") + std::string(reply::plainSignalName(reply::kSignalNames[i])) + "\":" +
                   ((*reading.signalBits)[i] ? "1" : "0");
        out += '}';
    } else
        out += "null";
    return out + "}";
}

std::string faultJson(const FaultEntry& entry, std::string_view time)
{
    return "{\"time\":" + jsonString(time) + "," + faultFields(entry) + "}";
}

} // namespace carwatch
