#pragma once
// The timeline written to a file: PNG (any other ending is refused) or SVG, by the ending of
// the file's name. Needs a Qt application with fonts (the offscreen platform will do).
#include <string>

namespace cartrace {

class TraceData;
struct TimelineView;

// Empty on success, otherwise what went wrong.
std::string exportTimeline(const TraceData& data, const TimelineView& view, const std::string& path, int width = 1600);

} // namespace cartrace
