#include "toolkit/OptionButton.h"

#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"

#include <QRadioButton>
#include <QSignalBlocker>

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
    // A selection the widget makes (a click, Space, an accessible Toggle or Press) runs onClick
    // once, from the toggle; a click on the button already selected changes nothing in the
    // widget and runs onClick from the click itself.
    QObject::connect(radio_, &QRadioButton::pressed, radio_, [this] { toggledSincePress_ = false; });
    QObject::connect(radio_, &QRadioButton::toggled, radio_, [this](bool on) {
        if (!on)
            return;
        toggledSincePress_ = true;
        dispatch(onClick);
    });
    QObject::connect(radio_, &QRadioButton::clicked, radio_, [this] {
        if (!toggledSincePress_)
            dispatch(onClick);
        toggledSincePress_ = false;
    });
}

bool OptionButton::value() const { return radio_->isChecked(); }

void OptionButton::setValue(bool selected)
{
    const bool was = radio_->isChecked();
    {
        const QSignalBlocker quiet(radio_); // the handler runs below, nested in the assignment
        radio_->setChecked(selected);
    }
    if (selected && !was)
        onClick ? onClick() : void();
}

} // namespace toolkit
