#include "cartrace/TimelinePainter.h"

#include "serial/OutsideText.h"
#include "cartrace/TraceData.h"
#include "toolkit/Bytes.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace cartrace {

using carterm::reply::CarState;
using carterm::reply::kSignalNames;

namespace {

constexpr int kTitle = 26;
constexpr int kFloorLane = 112;
constexpr int kVelocityLane = 80;
constexpr int kBbtLane = 48;
constexpr int kFaultLane = 46;
constexpr int kSignalLane = 18;
constexpr int kSentLane = 36;
constexpr int kEventLane = 30;
constexpr int kAxis = 30;

const QColor kInk(40, 40, 40);
const QColor kGridLine(225, 225, 225);
const QColor kFloorColour(20, 90, 180);
const QColor kVelocityColour(0, 130, 90);
const QColor kBbtColour(140, 80, 160);
const QColor kFaultColour(200, 30, 30);
const QColor kSignalColour(60, 150, 60);
const QColor kSentColour(50, 90, 200);
const QColor kRequestColour(170, 170, 170);
const QColor kOutageColour(236, 236, 236);
const QColor kCursorColour(0, 0, 0);

struct Lane {
    int top;
    int height;
};

// A step line through values in time order, with at most four points a pixel column (first,
// lowest, highest, last), so a whole day draws as fast and as small as a minute. Cut where the
// port was not open: no line runs through an outage.
class StepLine {
public:
    void add(double x, double y)
    {
        const long column = std::lround(x);
        if (open_ && column == column_) {
            low_ = std::min(low_, y);
            high_ = std::max(high_, y);
            last_ = y;
            return;
        }
        flush();
        column_ = column;
        first_ = low_ = high_ = last_ = y;
        open_ = true;
    }
    // Ends the line here, its last value held to `endX`; the next value starts a new one.
    void cut(double endX)
    {
        flush();
        if (points_.isEmpty())
            return;
        points_ << QPointF(std::max(endX, points_.last().x()), points_.last().y());
        lines_.push_back(points_);
        points_.clear();
    }
    void draw(QPainter& p, double endX)
    {
        cut(endX);
        for (const QPolygonF& line : lines_)
            p.drawPolyline(line);
    }

private:
    void flush()
    {
        if (!open_)
            return;
        const double x = static_cast<double>(column_);
        if (!points_.isEmpty())
            points_ << QPointF(x, points_.last().y());
        points_ << QPointF(x, first_);
        if (low_ < high_)
            points_ << QPointF(x, low_) << QPointF(x, high_);
        points_ << QPointF(x, last_);
        open_ = false;
    }

    std::vector<QPolygonF> lines_;
    QPolygonF points_;
    long column_ = 0;
    double first_ = 0, low_ = 0, high_ = 0, last_ = 0;
    bool open_ = false;
};

// The outages met walking forward through the states from `after` on.
class Breaks {
public:
    Breaks(const std::vector<Outage>& outages, long long after)
        : outages_(outages),
          next_(static_cast<std::size_t>(std::upper_bound(outages.begin(), outages.end(), after,
                                                          [](long long t, const Outage& o) { return t < o.from; })
                                         - outages.begin()))
    {
    }
    // The start of the first outage begun by `time` and not met yet.
    std::optional<long long> by(long long time)
    {
        std::optional<long long> from;
        for (; next_ < outages_.size() && outages_[next_].from <= time; ++next_)
            if (!from)
                from = outages_[next_].from;
        return from;
    }

private:
    const std::vector<Outage>& outages_;
    std::size_t next_;
};

QColor eventColour(const std::string& name)
{
    if (name == "OPEN" || name == "RECONNECT")
        return QColor(0, 150, 0);
    if (name == "LOST" || name == "FAILED")
        return QColor(210, 0, 0);
    if (name == "CLOSE")
        return QColor(120, 120, 120);
    if (name == "SETTINGS")
        return QColor(20, 90, 180);
    return QColor(200, 120, 0);
}

// What an event's label says: the reason of a failure or loss, the settings a change brought.
QString eventLabel(const LineEvent& e)
{
    if (!e.newSettings.empty())
        return QString::fromStdString("SETTINGS " + e.newSettings);
    if (e.name == "FAILED") {
        // "COM1 rfc2217://host:4000: the connection was refused": the reason follows the device.
        const std::size_t colon = e.value.find(": ");
        return toolkit::toQt("FAILED " + (colon == std::string::npos ? e.value : e.value.substr(colon + 2)));
    }
    if (e.name == "LOST" || e.name == "STOPPED")
        return toolkit::toQt(e.name + (e.value.empty() ? "" : " " + e.value));
    return QString::fromStdString(e.name);
}

// Where a label of `width` goes beside a marker at `px`: to its right, or to its left where it
// would run past the plot's right edge.
double labelLeft(double px, int width, int plotRight)
{
    return px + 3 + width > plotRight ? px - 3 - width : px + 3;
}

// Time-axis steps, in microseconds.
long long axisStep(long long span, int width)
{
    static const long long steps[] = {1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000, 500000, 1000000,
                                      2000000, 5000000, 10000000, 15000000, 30000000, 60000000, 120000000,
                                      300000000, 600000000, 900000000, 1800000000, 3600000000LL, 7200000000LL,
                                      10800000000LL, 21600000000LL, 43200000000LL, 86400000000LL};
    const long long wanted = span * 110 / std::max(width, 1);
    for (long long s : steps)
        if (s >= wanted)
            return s;
    return steps[std::size(steps) - 1];
}

QString clockText(long long epochMicros, long long step)
{
    const std::string iso = serial::capture::isoMillis(epochMicros);   // 2026-12-09T09:01:48.123Z
    const std::string clock = iso.substr(11, step < 1000000 ? 12 : 8);
    return QString::fromStdString(clock);
}

} // namespace

std::vector<std::size_t> defaultSignals()
{
    std::string bad;
    return signalsByName("SM,RUN,UP,DP,DOL,DCL,LVE,TRIP", bad);
}

std::vector<std::size_t> signalsByName(const std::string& list, std::string& bad)
{
    std::vector<std::size_t> found;
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const QString name = QString::fromStdString(list.substr(from, comma - from)).trimmed();
        from = comma + 1;
        if (name.isEmpty())
            continue;
        bool known = false;
        for (std::size_t i = 0; i < carterm::reply::kSignalCount; ++i)
            if (name.compare(QString::fromLatin1(carterm::reply::plainSignalName(kSignalNames[i])),
                             Qt::CaseInsensitive) == 0) {
                found.push_back(i);
                known = true;
            }
        if (!known)
            bad += (bad.empty() ? "" : ", ") + name.toStdString();
    }
    return found;
}

int TimelinePainter::heightFor(std::size_t signalCount)
{
    return kTitle + kFloorLane + kVelocityLane + kBbtLane + kFaultLane + static_cast<int>(signalCount) * kSignalLane
        + kSentLane + kEventLane + kAxis;
}

double TimelinePainter::xOf(long long time, int width, const TimelineView& view)
{
    const double span = static_cast<double>(std::max(view.to - view.from, 1LL));
    return kLeft + static_cast<double>(time - view.from) * (width - kLeft - kRight) / span;
}

long long TimelinePainter::timeAt(int x, int width, const TimelineView& view)
{
    const double plot = std::max(width - kLeft - kRight, 1);
    return view.from + static_cast<long long>(std::llround((x - kLeft) * static_cast<double>(view.to - view.from) / plot));
}

void TimelinePainter::paint(QPainter& p, const QRect& area, const TraceData& data, const TimelineView& view) const
{
    p.save();
    p.translate(area.topLeft());
    const int width = area.width();
    const int plotRight = width - kRight;
    p.fillRect(QRect(0, 0, width, area.height()), Qt::white);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const auto& states = data.states();
    const auto x = [&](long long t) { return xOf(t, width, view); };
    const auto inPlot = [&](double px) { return std::clamp(px, double(kLeft), double(plotRight)); };
    // Where the session's last record stands (or the plot's edge): the last values hold to it.
    const double dataEnd = std::min<double>(x(std::min(view.to, data.duration())), plotRight);
    const auto first = std::lower_bound(states.begin(), states.end(), view.from,
                                        [](const CarState& s, long long t) { return s.time < t; });
    // One state before the view, so lines start at its left edge.
    const auto begin = first == states.begin() ? first : first - 1;
    const auto end = std::upper_bound(states.begin(), states.end(), view.to,
                                      [](long long t, const CarState& s) { return t < s.time; });
    const long long walkFrom = begin == end ? view.from : begin->time;
    // Where a line that ends with the last state in view stops: the data's end or an outage.
    const auto holdTo = [&](Breaks& breaks) {
        const auto from = breaks.by(LLONG_MAX);
        return from ? std::min(dataEnd, inPlot(x(*from))) : dataEnd;
    };
    const int plotBottom = heightFor(view.lanes.size()) - kAxis;

    // Title, kept to the window's width.
    p.setPen(kInk);
    const QString title = QString::fromStdString(captureTitle(data));
    p.drawText(QRect(8, 0, width - 16, kTitle), Qt::AlignVCenter | Qt::AlignLeft,
               metrics.elidedText(title, Qt::ElideRight, width - 16));

    // The stretches the port was not open, shaded across every lane.
    for (const Outage& o : data.outages()) {
        const long long to = std::min(o.to, data.duration());
        if (to < view.from || o.from > view.to)
            continue;
        const double left = inPlot(x(o.from)), right = inPlot(x(to));
        p.fillRect(QRectF(left, kTitle, std::max(right - left, 1.0), plotBottom - kTitle), kOutageColour);
    }

    int top = kTitle;
    const auto lane = [&](int height, const QString& label) {
        const Lane l{top, height};
        p.setPen(kGridLine);
        p.drawLine(0, top + height, width, top + height);
        p.setPen(kInk);
        p.drawText(QRect(6, top, kLeft - 10, height), Qt::AlignVCenter | Qt::AlignLeft, label);
        top += height;
        return l;
    };

    p.setClipRect(QRect(0, 0, width, area.height()));
    // Floor: a step line over floors 1-7.
    {
        const Lane l = lane(kFloorLane, "Floor");
        const auto y = [&](int floor) { return l.top + 8 + (7 - floor) * (l.height - 16) / 6.0; };
        p.setPen(kGridLine);
        for (int f = 1; f <= 7; ++f) {
            p.drawLine(QPointF(kLeft, y(f)), QPointF(plotRight, y(f)));
            p.setPen(kInk);
            p.drawText(QRectF(kLeft - 22, y(f) - 7, 16, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(f));
            p.setPen(kGridLine);
        }
        StepLine line;
        Breaks breaks(data.outages(), walkFrom);
        for (auto it = begin; it != end; ++it) {
            if (const auto cut = breaks.by(it->time))
                line.cut(inPlot(x(*cut)));
            if (it->floor > 0)
                line.add(std::max<double>(x(it->time), kLeft), y(it->floor));
        }
        p.setPen(QPen(kFloorColour, 2));
        line.draw(p, holdTo(breaks));
    }
    // Velocity, scaled to the fastest in view.
    {
        const Lane l = lane(kVelocityLane, "Velocity ft/min");
        int fastest = 50;
        for (auto it = begin; it != end; ++it)
            fastest = std::max<int>(fastest, it->velocity);
        const auto y = [&](int v) { return l.top + l.height - 6 - v * (l.height - 14.0) / fastest; };
        p.setPen(kInk);
        p.drawText(QRectF(kLeft - 40, l.top, 34, 14), Qt::AlignRight, QString::number(fastest));
        // Each value holds until the next reply: a step, not a slope.
        StepLine line;
        Breaks breaks(data.outages(), walkFrom);
        for (auto it = begin; it != end; ++it) {
            if (const auto cut = breaks.by(it->time))
                line.cut(inPlot(x(*cut)));
            if (it->velocity >= 0)
                line.add(std::max<double>(x(it->time), kLeft), y(it->velocity));
        }
        p.setPen(QPen(kVelocityColour, 1));
        line.draw(p, holdTo(breaks));
    }
    // BBT: each value drawn where it arrived, as a step line with its text where there is room.
    {
        const Lane l = lane(kBbtLane, "BBT s");
        StepLine line;
        Breaks breaks(data.outages(), walkFrom);
        std::string last;
        double labelEnd = -1e9;
        for (auto it = begin; it != end; ++it) {
            if (const auto cut = breaks.by(it->time)) {
                line.cut(inPlot(x(*cut)));
                last.clear();
            }
            if (it->bbt[0] == '\0' || last == it->bbt)
                continue;
            last = it->bbt;
            const double v = std::atof(it->bbt);
            const double py = l.top + l.height - 8 - std::clamp(v, 0.0, 20.0) * (l.height - 16) / 20.0;
            const double px = std::max<double>(x(it->time), kLeft);
            line.add(px, py);
            const QString text = QString::fromLatin1(it->bbt).trimmed();
            const int textWidth = metrics.horizontalAdvance(text);
            const double left = labelLeft(px, textWidth, plotRight);
            if (left > labelEnd + 8) {
                p.setPen(kInk);
                p.drawText(QPointF(left, l.top + 11), text);
                labelEnd = left + textWidth;
            }
        }
        p.setPen(QPen(kBbtColour, 1));
        line.draw(p, holdTo(breaks));
    }
    // Faults: a marker with the number and description; labels take turns on two rows.
    const Lane faultLane = lane(kFaultLane, "Faults");
    // Signals.
    std::vector<Lane> signalLanes;
    for (std::size_t index : view.lanes)
        signalLanes.push_back(lane(kSignalLane, QString::fromLatin1(
                                                     carterm::reply::plainSignalName(kSignalNames[index]))));
    const Lane sentLane = lane(kSentLane, "Sent");
    const Lane eventLane = lane(kEventLane, "Line");

    // Data stays inside the plot; the lane names on the left are drawn already.
    p.setClipRect(QRect(kLeft - 2, 0, plotRight - kLeft + 4, area.height()));
    for (std::size_t n = 0; n < view.lanes.size(); ++n) {
        const Lane& l = signalLanes[n];
        const std::size_t bit = view.lanes[n];
        double onAt = -1;
        // A run is drawn when the next one starts more than a pixel after it ends, so runs
        // closer than a pixel share one rectangle.
        double runFrom = -1, runTo = -1;
        const auto drawRun = [&] {
            if (runFrom >= 0)
                p.fillRect(QRectF(runFrom, l.top + 3, std::max(runTo - runFrom, 1.0), l.height - 6), kSignalColour);
            runFrom = -1;
        };
        const auto close = [&](double px) {
            if (onAt < 0)
                return;
            if (runFrom >= 0 && onAt > runTo + 1)
                drawRun();
            if (runFrom < 0)
                runFrom = onAt;
            runTo = px;
            onAt = -1;
        };
        Breaks breaks(data.outages(), walkFrom);
        for (auto it = begin; it != end; ++it) {
            if (const auto cut = breaks.by(it->time))
                close(inPlot(x(*cut)));
            if (!it->hasTable)
                continue;
            const double px = inPlot(x(it->time));
            if (it->signalBits[bit] && onAt < 0)
                onAt = px;
            else if (!it->signalBits[bit])
                close(px);
        }
        close(holdTo(breaks));
        drawRun();
        p.setPen(QPen(kGridLine));
        p.drawLine(kLeft, l.top + l.height - 3, plotRight, l.top + l.height - 3);
    }

    // Sent: the operator's commands labelled; the live view's own requests a band of ticks.
    {
        const auto& sent = data.sent();
        auto it = std::lower_bound(sent.begin(), sent.end(), view.from, [](const Sent& s, long long t) { return s.time < t; });
        double labelEnd = -1e9;   // where the last label drawn ends
        double lastTick = -1e9, lastRequest = -1e9;   // one tick a pixel is all that shows
        const int bandTop = sentLane.top + sentLane.height - 7;
        for (; it != sent.end() && it->time <= view.to; ++it) {
            const double px = x(it->time);
            if (it->request) {
                if (px < lastRequest + 1)
                    continue;
                lastRequest = px;
                p.setPen(kRequestColour);
                p.drawLine(QPointF(px, bandTop), QPointF(px, bandTop + 5));
                continue;
            }
            if (px < lastTick + 1)
                continue;
            lastTick = px;
            p.setPen(kSentColour);
            p.drawLine(QPointF(px, sentLane.top + 15), QPointF(px, bandTop - 2));
            const QString text = metrics.elidedText(toolkit::toQt(serial::printable(it->text, 80)), Qt::ElideRight, 160);
            const int textWidth = metrics.horizontalAdvance(text);
            const double left = labelLeft(px, textWidth, plotRight);
            if (left > labelEnd + 6) {
                p.drawText(QPointF(left, sentLane.top + 12), text);
                labelEnd = left + textWidth;
            }
        }
    }
    // Line: the port's opening, closing, loss, return and failed attempts across the lanes, the
    // line's events in their lane.
    {
        const auto& events = data.events();
        double labelEnd = -1e9;
        for (std::size_t i = 0; i < events.size(); ++i) {
            const LineEvent& e = events[i];
            if (e.time < view.from || e.time > view.to)
                continue;
            const double px = x(e.time);
            const QColor colour = eventColour(e.newSettings.empty() ? e.name : "SETTINGS");
            const bool port = e.name == "OPEN" || e.name == "CLOSE" || e.name == "LOST" || e.name == "RECONNECT";
            p.setPen(QPen(colour, 1, port ? Qt::DashLine : Qt::SolidLine));
            p.drawLine(QPointF(px, port ? kTitle : eventLane.top + 14), QPointF(px, eventLane.top + eventLane.height - 2));
            // The settings dialog closes the port and opens it with the new settings: the
            // change is the label, not the close.
            if (e.name == "CLOSE" && i + 1 < events.size() && !events[i + 1].newSettings.empty()
                && events[i + 1].time - e.time < 5000000)
                continue;
            const QString text = metrics.elidedText(eventLabel(e), Qt::ElideRight, 280);
            const int textWidth = metrics.horizontalAdvance(text);
            const double left = labelLeft(px, textWidth, plotRight);
            if (left > labelEnd + 6) {
                p.setPen(colour);
                p.drawText(QPointF(left, eventLane.top + 11), text);
                labelEnd = left + textWidth;
            }
        }
    }
    {
        const auto& faults = data.faults();
        auto it = std::lower_bound(faults.begin(), faults.end(), view.from,
                                   [](const Fault& f, long long t) { return f.time < t; });
        double rowEnd[2] = {-1e9, -1e9};   // where the last label of each row ends
        for (; it != faults.end() && it->time <= view.to; ++it) {
            const double px = x(it->time);
            p.setPen(QPen(kFaultColour, 1.5));
            p.drawLine(QPointF(px, kTitle), QPointF(px, plotBottom));
            p.setBrush(kFaultColour);
            p.drawEllipse(QPointF(px, faultLane.top + 6), 4, 4);
            p.setBrush(Qt::NoBrush);
            const QString label = QString("F%1 %2").arg(it->code).arg(toolkit::toQt(it->description).simplified());
            const QString shown = metrics.elidedText(label, Qt::ElideRight, 260);
            const int textWidth = metrics.horizontalAdvance(shown);
            // Labels take turns on two rows and are left out where neither row has room.
            const double left = labelLeft(px, textWidth + 3, plotRight);
            for (int row = 0; row < 2; ++row) {
                if (left <= rowEnd[row] + 8)
                    continue;
                p.setPen(kFaultColour);
                p.drawText(QPointF(left, faultLane.top + 20 + row * 14), shown);
                rowEnd[row] = left + textWidth;
                break;
            }
        }
    }

    // Time axis.
    p.setClipRect(QRect(0, 0, width, area.height()));
    p.setPen(kInk);
    p.drawLine(kLeft, plotBottom, plotRight, plotBottom);
    const long long step = axisStep(view.to - view.from, plotRight - kLeft);
    const long long start = data.startEpochMicros();
    // Ticks at whole steps of the clock, not of the capture's start.
    long long tick = ((start + view.from + step - 1) / step) * step - start;
    for (; tick <= view.to; tick += step) {
        const double px = x(tick);
        p.setPen(kGridLine);
        p.drawLine(QPointF(px, kTitle), QPointF(px, plotBottom));
        p.setPen(kInk);
        p.drawLine(QPointF(px, plotBottom), QPointF(px, plotBottom + 4));
        const QString text = clockText(start + tick, step);
        // The first and last clock stay whole inside the drawing.
        const double half = metrics.horizontalAdvance(text) / 2.0 + 1;
        const double centre = std::clamp(px, kLeft - 10.0 + half, width - half);
        p.drawText(QRectF(centre - 50, plotBottom + 5, 100, 16), Qt::AlignHCenter | Qt::AlignTop, text);
    }
    p.drawText(QRect(6, plotBottom + 5, kLeft - 40, 16), Qt::AlignLeft, "UTC");

    if (view.cursor >= view.from && view.cursor <= view.to) {
        p.setPen(QPen(kCursorColour, 1));
        p.drawLine(QPointF(x(view.cursor), kTitle), QPointF(x(view.cursor), plotBottom));
    }
    p.restore();
}

// The headers are the recording program's words, so outside text: escaped like any.
std::string captureTitle(const TraceData& data)
{
    return serial::printable(data.header("PROGRAM") + "  " + data.header("PORT") + " " + data.header("DEVICE") + "  "
                                 + data.header("SETTINGS") + "  started " + data.header("START_TIME"),
                             400);
}

} // namespace cartrace
