#pragma once
// A capture as CSV for a spreadsheet (UTF-8, RFC 4180 quoting, CR LF). One row for each reply,
// each command of the operator, each request of the live view that got no answer and each line
// event, in time order: time_utc (ISO 8601, milliseconds), elapsed_s, then the car as the window
// showed it then (floor, velocity_ft_min, bbt_s, the four fault registers' code and floor;
// empty while unknown or while the port was not open), request (the live view's request a reply
// answers), command, line_event, line_detail, and the 55 signals as 0 and 1. The fault
// descriptions go to a file of their own, one row per fault entry.
#include <climits>
#include <functional>
#include <ostream>
#include <string>

namespace cartrace {

class TraceData;

// Microseconds from the capture's start; rows outside are left out.
struct CsvRange {
    long long from = 0;
    long long to = LLONG_MAX;
};

void writeCsv(const TraceData& data, std::ostream& out, CsvRange range = {});
// One row per fault entry: those the registers held at the first fault reply, oldest first,
// then each new entry, with where it was first seen and its description.
void writeFaultsCsv(const TraceData& data, std::ostream& out, CsvRange range = {});

// Writes `path` through `write`; empty when done, else "<path>: cannot be written: <why>".
std::string writeFile(const std::string& path, const std::function<void(std::ostream&)>& write);

} // namespace cartrace
