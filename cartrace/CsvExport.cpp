#include "cartrace/CsvExport.h"

#include "cartrace/TraceData.h"
#include "toolkit/Bytes.h"
#include "toolkit/TextOps.h"

#include <climits>
#include <cstdio>
#include <string>

namespace cartrace {

using carterm::reply::CarState;

namespace {

std::string quoted(const std::string& bytes)
{
    const std::string utf8 = toolkit::toQt(bytes).toStdString();
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace

void writeCsv(const TraceData& data, std::ostream& out)
{
    out << "time,seconds,floor,velocity,bbt,fault,fault_description";
    for (const auto& s : carterm::reply::kSignalNames)
        out << ',' << carterm::reply::plainSignalName(s);
    out << ",event\r\n";

    const long long start = data.startEpochMicros();
    const auto stamp = [&](long long time) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", static_cast<double>(time) / 1e6);
        return serial::capture::isoMillis(start + time) + ',' + seconds + ',';
    };
    // The losses, the returns and the recorder's own stop, between the replies at their times.
    std::vector<const LineEvent*> events;
    for (const LineEvent& e : data.events())
        if (e.name == serial::capture::kLost || e.name == serial::capture::kReconnect || e.name == serial::capture::kStopped)
            events.push_back(&e);
    std::size_t nextEvent = 0;
    const std::string emptyState(5 + carterm::reply::kSignalCount, ',');
    const auto eventsUntil = [&](long long time) {
        for (; nextEvent < events.size() && events[nextEvent]->time <= time; ++nextEvent) {
            const LineEvent& e = *events[nextEvent];
            out << stamp(e.time) << emptyState << quoted(e.name + (e.value.empty() ? "" : " " + e.value)) << "\r\n";
        }
    };
    std::string line;
    int describedCode = -1;
    std::string description;
    for (const CarState& s : data.states()) {
        eventsUntil(s.time - 1);
        line = stamp(s.time);
        if (s.floor > 0)
            line += std::to_string(s.floor);
        line += ',';
        if (s.velocity >= 0)
            line += std::to_string(s.velocity);
        line += ',';
        line += toolkit::trimmed(s.bbt, " ");
        line += ',';
        if (s.faultCode >= 0) {
            if (s.faultCode != describedCode) {
                describedCode = s.faultCode;
                description = quoted(faultDescription(s.faultCode));
            }
            line += std::to_string(s.faultCode);
            line += ',';
            line += description;
        } else {
            line += ',';
        }
        for (std::size_t i = 0; i < carterm::reply::kSignalCount; ++i) {
            line += ',';
            line += s.hasTable ? (s.signalBits[i] ? '1' : '0') : ' ';
            if (!s.hasTable)
                line.pop_back();
        }
        line += ",\r\n";
        out << line;
    }
    eventsUntil(LLONG_MAX);
}

} // namespace cartrace
