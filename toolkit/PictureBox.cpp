#include "toolkit/PictureBox.h"

#include "toolkit/Dispatch.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>

namespace toolkit {

PictureBox::PictureBox(Container& parent, std::string name) : Control(parent, std::move(name), new QFrame)
{
    static_cast<QFrame*>(widget())->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackColor(colors::grey);
    widget()->setFocusPolicy(Qt::TabFocus);
}

bool PictureBox::filterEvent(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        dispatch(onClick);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            dispatch(onClick);
            return true;
        }
    }
    return false;
}

} // namespace toolkit
