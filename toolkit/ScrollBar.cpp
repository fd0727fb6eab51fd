#include "toolkit/ScrollBar.h"

#include "toolkit/Dispatch.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace toolkit {

ScrollBar::ScrollBar(Container& parent, std::string name, int min, int max)
    : Control(parent, std::move(name), new QScrollBar(Qt::Vertical)), bar_(static_cast<QScrollBar*>(widget())),
      min_(min), max_(max), value_(min)
{
    bar_->setRange(min, max);
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    bar_->setValue(min);
    QObject::connect(bar_, &QScrollBar::valueChanged, bar_, [this](int v) {
        dispatch([this, v] { setValue(v); });
    });
}

void ScrollBar::setValue(int v)
{
    v = std::clamp(v, min_, max_);
    if (v == value_) {
        showValue();
        return;
    }
    value_ = v;
    showValue();
    if (onChange)
        onChange();
}

void ScrollBar::showValue()
{
    const QSignalBlocker block(bar_);
    bar_->setValue(value_);
}

} // namespace toolkit
