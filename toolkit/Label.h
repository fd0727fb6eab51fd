#pragma once
#include "toolkit/Control.h"

class QLabel;

namespace toolkit {

enum class Align { Left, Center, Right };

class Label : public Control {
public:
    Label(Container& parent, std::string name, std::string caption = {});
    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption);
    void setAlignment(Align a);
    void setBorder(bool border);
    // The control the caption's access key (Alt + the '&'-marked letter) gives the focus to.
    void setAccessKeyTarget(Control& target);
    // A click on the label itself (never counted as a click on the window behind it).
    std::function<void()> onClick;

protected:
    bool filterEvent(QEvent* event) override;

private:
    QLabel* label_;
    std::string caption_;
};

} // namespace toolkit
