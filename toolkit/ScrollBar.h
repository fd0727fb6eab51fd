#pragma once
// A vertical scroll bar used as a stepper: the top arrow lowers the value, the bottom raises it.
// Every change of the value, by the operator or by code, runs onChange at once; setting the
// value it already has runs nothing.
#include "toolkit/Control.h"

class QScrollBar;

namespace toolkit {

class ScrollBar : public Control {
public:
    ScrollBar(Container& parent, std::string name, int min, int max);
    int value() const { return value_; }
    void setValue(int v);
    int min() const { return min_; }
    int max() const { return max_; }
    std::function<void()> onChange;

private:
    void showValue();

    QScrollBar* bar_;
    int min_, max_;
    int value_;
};

} // namespace toolkit
