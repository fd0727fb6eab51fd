#pragma once
// The decoded replies of a capture as CSV, one row per reply: the time (ISO 8601 in UTC with
// milliseconds, and seconds from the start), floor, velocity, BBT, the newest fault's number and
// description, then the 55 signals as 0 and 1, and an empty event. Between them, at their
// times, a row for each loss of the line, its return and the recorder's own stop: only the time
// and the event ("LOST <why>", "RECONNECT ...", "STOPPED <why>"). UTF-8, RFC 4180 quoting.
#include <ostream>

namespace cartrace {

class TraceData;

void writeCsv(const TraceData& data, std::ostream& out);

} // namespace cartrace
