#pragma once
// Draws a stretch of a capture as a timeline with QPainter, the same drawing for the window, PNG
// and SVG: floor as a step line, velocity, BBT, the faults with their numbers and descriptions,
// the chosen signals as on/off lanes, the operator's commands labelled over a band of the live
// view's own requests, the line's events (failed attempts with their reason, settings changes
// with the new settings), the opening, loss and reconnection of the port across every lane, and
// the stretches the port was not open shaded, with no line running through them. Labels stay
// inside the plot.
#include <QRect>
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

class QPainter;

namespace cartrace {

class TraceData;

struct TimelineView {
    long long from = 0;            // microseconds from the capture's start
    long long to = 0;
    std::vector<std::size_t> lanes;   // indexes into kSignalNames, top to bottom
    long long cursor = -1;         // a time, or -1 for none
};

class TimelinePainter {
public:
    // Height the drawing needs for `signalCount` signal lanes.
    static int heightFor(std::size_t signalCount);
    // The left edge of the time axis, and the width of the plot in an area `width` wide.
    static constexpr int kLeft = 118;
    static constexpr int kRight = 14;

    void paint(QPainter& painter, const QRect& area, const TraceData& data, const TimelineView& view) const;

    // The time under x, and the x of a time, in an area of `width`.
    static long long timeAt(int x, int width, const TimelineView& view);
    static double xOf(long long time, int width, const TimelineView& view);
};

// Indexes of the signals named in "SM,RUN,DOL" (case-insensitive); `bad` gets the unknown names.
std::vector<std::size_t> signalsByName(const std::string& list, std::string& bad);
// The lanes drawn when none are chosen.
std::vector<std::size_t> defaultSignals();

// The title line over the lanes: program, port, device, settings and start, as recorded, escaped.
std::string captureTitle(const TraceData& data);

} // namespace cartrace
