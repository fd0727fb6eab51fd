#include "toolkit/Button.h"

#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"

#include <QPushButton>

namespace toolkit {

Button::Button(Container& parent, std::string name, std::string caption)
    : Control(parent, std::move(name), new QPushButton), button_(static_cast<QPushButton*>(widget()))
{
    button_->setAutoDefault(false);
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { dispatch(onClick); });
    setCaption(caption);
}

void Button::setCaption(std::string_view caption)
{
    caption_ = std::string(caption);
    button_->setText(toQt(caption_));
    setCaptionForAccessibility(caption_);
}

void Button::click()
{
    if (enabled() && visible())
        dispatch(onClick);
}

void Button::makeDefault()
{
    controlHost().setDefaultButton(this);
    button_->setDefault(true);
}

void Button::makeCancel() { controlHost().setCancelButton(this); }

} // namespace toolkit
