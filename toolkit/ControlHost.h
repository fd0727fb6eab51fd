#pragma once
// What a control needs of the window it stands in, and no more: the window keeps the list of
// its controls and the one with the focus, and decides what Enter and Escape do.
class QWidget;

namespace toolkit {

class Button;
class Control;

class ControlHost {
public:
    virtual void registerControl(Control* c) = 0;
    virtual void unregisterControl(Control* c) = 0;
    virtual Control* focused() const = 0;
    virtual void noteFocus(Control* c) = 0;

    // Enter presses the default button and Escape the cancel button, wherever the focus is.
    virtual void setDefaultButton(Button* b) = 0;
    virtual void setCancelButton(Button* b) = 0;
    // Acts on Enter or Escape as the dialog keys of the window, `focus` being the widget the key
    // reached (Enter presses a button that has the focus). Returns false when the key is not a
    // dialog key here and goes on as a typed key.
    virtual bool dialogKey(int keyCode, QWidget* focus) = 0;

protected:
    ~ControlHost() = default;
};

} // namespace toolkit
