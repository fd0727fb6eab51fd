#pragma once
// A plain panel with a background colour that reports clicks. Tab reaches it, and Space or
// Enter there clicks it, so the keyboard can do what the mouse does.
#include "toolkit/Control.h"

namespace toolkit {

class PictureBox : public Control {
public:
    PictureBox(Container& parent, std::string name);
    std::function<void()> onClick;

protected:
    bool filterEvent(QEvent* event) override;
};

} // namespace toolkit
