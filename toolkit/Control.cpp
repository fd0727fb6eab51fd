#include "toolkit/Control.h"

#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QWidget>


namespace toolkit {

class Control::Filter : public QObject {
public:
    explicit Filter(Control& c) : QObject(c.widget()), control_(c) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto& w = control_.controlHost();
            if (w.focused() != &control_) {
                w.noteFocus(&control_);
                dispatch(control_.onGotFocus);
            }
        }
        return control_.filterEvent(event);
    }

private:
    Control& control_;
};

Control::Control(Container& parent, std::string name, QWidget* widget)
    : name_(std::move(name)), widget_(widget), host_(parent.controlHost())
{
    widget_->setParent(parent.host());
    widget_->setObjectName(QString::fromStdString(name_));
    widget_->setAccessibleName(QString::fromStdString(name_));
    alive_ = widget_;
    filter_ = new Filter(*this);
    widget_->installEventFilter(filter_);
    widget_->show();
    host_.registerControl(this);
}

// The widget goes with its control, so that nothing it does while being torn down (hide and
// focus events, signals) reaches a control that is already gone.
Control::~Control()
{
    host_.unregisterControl(this);
    if (alive_) {
        widget_->removeEventFilter(filter_);
        widget_->blockSignals(true);
        delete widget_;
    }
}

void Control::setVisible(bool v)
{
    visible_ = v;
    widget_->setVisible(v);
    if (!v && host_.focused() == this)
        host_.noteFocus(nullptr);
}

void Control::setEnabled(bool e)
{
    enabled_ = e;
    widget_->setEnabled(e);
}

void Control::setBackColor(Color c)
{
    backColor_ = c;
    QPalette pal = widget_->palette();
    const QColor qc(c.r, c.g, c.b);
    pal.setColor(QPalette::Window, qc);
    pal.setColor(QPalette::Base, qc);
    pal.setColor(QPalette::Button, qc);
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
}

void applyFont(QWidget* widget, const Font& f)
{
    QFont font = widget->font();
    if (f.family)
        font.setFamily(QString::fromLatin1(f.family));
    if (f.pointSize > 0)
        font.setPointSizeF(f.pointSize);
    font.setBold(f.bold);
    widget->setFont(font);
}

void Control::setFont(const Font& f) { applyFont(widget_, f); }

void Control::move(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    widget_->setGeometry(px(left), px(top), px(width), px(height));
}

void Control::setFocus()
{
    const bool news = host_.focused() != this;
    host_.noteFocus(this);
    widget_->setFocus(Qt::OtherFocusReason);
    if (news)
        dispatch(onGotFocus);
}

bool Control::hasFocus() const { return host_.focused() == this; }

void Control::setTabStop(bool stop) { widget_->setFocusPolicy(stop ? Qt::StrongFocus : Qt::NoFocus); }

void Control::setDescription(std::string_view words) { widget_->setAccessibleDescription(toQt(words)); }

void Control::makeHelper()
{
    widget_->setFocusPolicy(Qt::NoFocus);
    widget_->setAccessibleDescription(QString());
}

void Control::bringToFront() { widget_->raise(); }

void Control::setCaptionForAccessibility(std::string_view caption)
{
    const std::string plain = stripAccessKeys(caption);
    widget_->setAccessibleName(plain.empty() ? QString::fromStdString(name_) : toQt(plain));
}

bool Control::filterEvent(QEvent*) { return false; }

std::string stripAccessKeys(std::string_view caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&')
                out.push_back('&'), ++i;
            continue;
        }
        out.push_back(caption[i]);
    }
    return out;
}

} // namespace toolkit
