#include "toolkit/Label.h"

#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"

#include <QEvent>
#include <QLabel>

namespace toolkit {

Label::Label(Container& parent, std::string name, std::string caption)
    : Control(parent, std::move(name), new QLabel), label_(static_cast<QLabel*>(widget()))
{
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCaption(caption);
}

void Label::setCaption(std::string_view caption)
{
    caption_ = std::string(caption);
    // Labels show '&' as an access key like any caption; "&&" shows one '&'.
    label_->setText(toQt(stripAccessKeys(caption_)));
    setCaptionForAccessibility(caption_);
}

void Label::setAccessKeyTarget(Control& target)
{
    // With a buddy, Qt underlines the marked letter and focuses the buddy on Alt + that letter.
    label_->setText(toQt(caption_));
    label_->setBuddy(target.widget());
}

void Label::setAlignment(Align a)
{
    const Qt::Alignment h = a == Align::Center ? Qt::AlignHCenter : a == Align::Right ? Qt::AlignRight : Qt::AlignLeft;
    label_->setAlignment(h | Qt::AlignTop);
}

void Label::setBorder(bool border) { label_->setFrameStyle(border ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame); }

bool Label::filterEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true; // keep the press from reaching the window behind
    if (event->type() == QEvent::MouseButtonRelease) {
        dispatch(onClick);
        return true;
    }
    return false;
}

} // namespace toolkit
