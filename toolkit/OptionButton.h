#pragma once
#include "toolkit/Control.h"

class QRadioButton;

namespace toolkit {

// Option buttons sharing a container form one group: exactly one of them is selected.
class OptionButton : public Control {
public:
    OptionButton(Container& parent, std::string name, std::string caption);
    const std::string& caption() const { return caption_; }
    bool value() const;
    // Selecting runs onClick, as a click by the operator does.
    void setValue(bool selected);
    std::function<void()> onClick;

private:
    QRadioButton* radio_;
    std::string caption_;
    bool toggledSincePress_ = false;
};

} // namespace toolkit
