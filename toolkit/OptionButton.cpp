#include "OptionButton.h"

#include "Bytes.h"
#include "Dispatch.h"

#include <QRadioButton>

namespace toolkit {

OptionButton::OptionButton(Container& parent, std::string name, std::string caption)
    : Control(parent, std::move(name), new QRadioButton), radio_(static_cast<QRadioButton*>(widget())),
      caption_(std::move(caption))
{
    radio_->setText(toQt(caption_));
    setCaptionForAccessibility(caption_);
    QObject::connect(radio_, &QRadioButton::clicked, radio_, [this] { dispatch(onClick); });
}

bool OptionButton::value() const { return radio_->isChecked(); }

void OptionButton::setValue(bool selected)
{
    const bool was = radio_->isChecked();
    radio_->setChecked(selected);
    if (selected && !was)
        onClick ? onClick() : void();
}

} // namespace toolkit
