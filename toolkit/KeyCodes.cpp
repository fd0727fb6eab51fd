#include "toolkit/KeyCodes.h"

#include <QKeyEvent>

namespace toolkit {

int keyCodeOf(const QKeyEvent& e)
{
    const int k = e.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12)
        return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return kKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Space: return kKeySpace;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Delete: return kKeyDelete;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_Insert: return 45;
    default: return k < 256 ? k : 0;
    }
}

int shiftOf(const QKeyEvent& e)
{
    int s = 0;
    if (e.modifiers() & Qt::ShiftModifier)
        s |= kShiftMask;
    if (e.modifiers() & Qt::ControlModifier)
        s |= kCtrlMask;
    if (e.modifiers() & Qt::AltModifier)
        s |= kAltMask;
    return s;
}

int asciiOf(const QKeyEvent& e)
{
    switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Backspace: return kKeyBack;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0;
    default: break;
    }
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    const QString t = e.text();
    if (t.size() != 1)
        return 0;
    const char16_t c = t.at(0).unicode();
    return (c >= 32 && c < 256) ? c : 0;
}

} // namespace toolkit
