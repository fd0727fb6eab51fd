#pragma once
// The timeline on screen: zoom with the wheel or + and -, pan by dragging or with the arrow
// keys, Home and End for the ends; a click puts the cursor, whose time the window shows the
// car's state at. While the session is still being written the view keeps its right edge on
// the newest data if it stood there.
#include "cartrace/TimelinePainter.h"

#include <QWidget>

#include <functional>

namespace cartrace {

class TraceData;

class TimelineWidget : public QWidget {
public:
    explicit TimelineWidget(const TraceData& data, QWidget* parent = nullptr);

    const TimelineView& view() const { return view_; }
    // The stretch shown; kept inside the session and at least a millisecond long.
    void showRange(long long from, long long to);
    void showAll();
    void zoom(double factor, long long around);
    void pan(double pages);
    void setCursorTime(long long time);
    void setSignals(std::vector<std::size_t> lanes);
    // After the data grew: follows the end when the view stood there.
    void dataGrew(long long oldDuration);

    std::function<void()> onCursorMoved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override;

private:
    long long span() const { return view_.to - view_.from; }

    const TraceData& data_;
    TimelineView view_;
    TimelinePainter painter_;
    int dragFrom_ = -1;
    long long dragViewFrom_ = 0;
    bool dragged_ = false;
};

} // namespace cartrace
