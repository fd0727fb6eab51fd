#include "PictureBox.h"

#include "Dispatch.h"

#include <QEvent>
#include <QFrame>

namespace toolkit {

PictureBox::PictureBox(Container& parent, std::string name) : Control(parent, std::move(name), new QFrame)
{
    static_cast<QFrame*>(widget())->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackColor(colors::grey);
}

bool PictureBox::filterEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        dispatch(onClick);
        return true;
    }
    return false;
}

} // namespace toolkit
