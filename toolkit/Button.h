#pragma once
#include "toolkit/Control.h"

class QPushButton;

namespace toolkit {

class Button : public Control {
public:
    Button(Container& parent, std::string name, std::string caption);
    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption);
    // Presses the button as the operator would: nothing happens while it is disabled or hidden.
    void click();
    // Enter anywhere in the window presses the default button, Escape the cancel button.
    void makeDefault();
    void makeCancel();
    std::function<void()> onClick;

private:
    QPushButton* button_;
    std::string caption_;
};

} // namespace toolkit
