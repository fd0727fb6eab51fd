#include "cartrace/TimelineWidget.h"

#include "cartrace/TraceData.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace cartrace {

namespace {
constexpr long long kShortest = 1000;   // a millisecond across the whole plot
}

TimelineWidget::TimelineWidget(const TraceData& data, QWidget* parent) : QWidget(parent), data_(data)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Timeline");
    view_.lanes = defaultSignals();
    showAll();
}

QSize TimelineWidget::sizeHint() const { return {1100, TimelinePainter::heightFor(view_.lanes.size())}; }

void TimelineWidget::showRange(long long from, long long to)
{
    const long long end = std::max(data_.duration(), kShortest);
    long long length = std::clamp(to - from, kShortest, end);
    from = std::clamp(from, 0LL, end - length);
    view_.from = from;
    view_.to = from + length;
    update();
}

void TimelineWidget::showAll() { showRange(0, std::max(data_.duration(), kShortest)); }

void TimelineWidget::zoom(double factor, long long around)
{
    const long long length = std::max<long long>(std::llround(span() * factor), kShortest);
    const double share = span() > 0 ? static_cast<double>(around - view_.from) / span() : 0.5;
    const long long from = around - std::llround(length * share);
    showRange(from, from + length);
}

void TimelineWidget::pan(double pages)
{
    const long long by = std::llround(span() * pages);
    showRange(view_.from + by, view_.to + by);
}

void TimelineWidget::setCursorTime(long long time)
{
    view_.cursor = std::clamp(time, 0LL, data_.duration());
    if (view_.cursor < view_.from || view_.cursor > view_.to)
        showRange(view_.cursor - span() / 2, view_.cursor + span() - span() / 2);
    update();
    if (onCursorMoved)
        onCursorMoved();
}

void TimelineWidget::setSignals(std::vector<std::size_t> lanes)
{
    view_.lanes = std::move(lanes);
    setMinimumHeight(TimelinePainter::heightFor(view_.lanes.size()));
    updateGeometry();
    update();
}

void TimelineWidget::dataGrew(long long oldDuration)
{
    if (view_.to >= oldDuration && oldDuration > 0) {
        const long long length = span();
        showRange(data_.duration() - length, data_.duration());
    } else if (oldDuration == 0) {
        showAll();
    } else {
        update();
    }
}

void TimelineWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    painter_.paint(p, rect(), data_, view_);
}

void TimelineWidget::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (event->modifiers() & Qt::ShiftModifier)
        pan(-steps * 0.1);
    else
        zoom(std::pow(0.8, steps), TimelinePainter::timeAt(static_cast<int>(event->position().x()), width(), view_));
    event->accept();
}

void TimelineWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragFrom_ = static_cast<int>(event->position().x());
    dragViewFrom_ = view_.from;
    dragged_ = false;
}

void TimelineWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (dragFrom_ < 0)
        return;
    const int dx = static_cast<int>(event->position().x()) - dragFrom_;
    if (std::abs(dx) > 3)
        dragged_ = true;
    if (!dragged_)
        return;
    const double plot = std::max(width() - TimelinePainter::kLeft - TimelinePainter::kRight, 1);
    const long long by = std::llround(-dx * span() / plot);
    showRange(dragViewFrom_ + by, dragViewFrom_ + by + span());
}

void TimelineWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragFrom_ >= 0 && !dragged_ && event->position().x() >= TimelinePainter::kLeft)
        setCursorTime(TimelinePainter::timeAt(static_cast<int>(event->position().x()), width(), view_));
    dragFrom_ = -1;
}

void TimelineWidget::keyPressEvent(QKeyEvent* event)
{
    const long long middle = view_.cursor >= view_.from && view_.cursor <= view_.to ? view_.cursor
                                                                                     : view_.from + span() / 2;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoom(0.5, middle); break;
    case Qt::Key_Minus: zoom(2.0, middle); break;
    case Qt::Key_Left: pan(-0.25); break;
    case Qt::Key_Right: pan(0.25); break;
    case Qt::Key_PageUp: pan(-1); break;
    case Qt::Key_PageDown: pan(1); break;
    case Qt::Key_Home: showRange(0, span()); break;
    case Qt::Key_End: showRange(data_.duration() - span(), data_.duration()); break;
    case Qt::Key_Comma: setCursorTime((view_.cursor < 0 ? middle : view_.cursor) - span() / 100); break;
    case Qt::Key_Period: setCursorTime((view_.cursor < 0 ? middle : view_.cursor) + span() / 100); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace cartrace
