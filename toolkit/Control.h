#pragma once
// The base of every control: a name, the Qt widget that draws it, and the properties all
// controls share (visibility, enabled state, colour, font, position in twips, focus).
#include "toolkit/ControlHost.h"
#include "toolkit/Geometry.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace toolkit {

// Something controls can be placed in: a window's client area or a frame.
class Container {
public:
    virtual ~Container() = default;
    virtual QWidget* host() = 0;
    virtual ControlHost& controlHost() = 0;
};

class Control {
public:
    Control(Container& parent, std::string name, QWidget* widget);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    QWidget* widget() const { return widget_; }
    // The window the control stands in, as far as a control needs it.
    ControlHost& controlHost() const { return host_; }

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    Color backColor() const { return backColor_; }
    void setBackColor(Color c);
    void setFont(const Font& f);

    // Position and size in twips, relative to the container.
    void move(int left, int top, int width, int height);
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Gives this control the keyboard focus (the window remembers it even while hidden).
    void setFocus();
    bool hasFocus() const;
    // Whether Tab stops here (hidden and disabled controls are skipped anyway).
    void setTabStop(bool stop);
    // What the control is, in words, for assistive technology (controls without a caption).
    void setDescription(std::string_view words);
    // A hidden helper the program keeps for itself (the reply buffer): never takes the focus,
    // so neither Tab nor assistive technology can reach it.
    void makeHelper();
    // Lays the control over its overlapping siblings (an indicator over a grid cell).
    void bringToFront();

    std::function<void()> onGotFocus;

protected:
    // The accessible name: the caption where there is one (access-key marks removed),
    // otherwise the control's name.
    void setCaptionForAccessibility(std::string_view caption);
    // Reacts to the widget's own events; return true to consume. Subclasses extend it.
    virtual bool filterEvent(QEvent* event);

private:
    class Filter;
    friend class Filter;

    std::string name_;
    QWidget* widget_;
    ControlHost& host_;
    Filter* filter_;
    QPointer<QWidget> alive_; // null once Qt deleted the widget with its parent
    bool visible_ = true;
    bool enabled_ = true;
    Color backColor_ = colors::white;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// Sets a widget's font: the family and size where given, bold as given.
void applyFont(QWidget* widget, const Font& f);

// Removes the '&' access-key marks of a caption ("&&" stands for one '&').
std::string stripAccessKeys(std::string_view caption);

} // namespace toolkit
