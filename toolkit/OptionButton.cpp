#include "OptionButton.h"

#include "Bytes.h"
#include "Dispatch.h"

#include <QRadioButton>

namespace toolkit {

namespace {
// A click anywhere in the control's rectangle selects it, not only on its mark and caption.
class WholeAreaRadioButton : public QRadioButton {
protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};
} // namespace

OptionButton::OptionButton(Container& parent, std::string name, std::string caption)
    : Control(parent, std::move(name), new WholeAreaRadioButton), radio_(static_cast<QRadioButton*>(widget())),
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
