#pragma once
// A top-level window: caption, client area measured in twips, menus, the focus it remembers,
// and the window-level events (load/unload, activate, click on the background, keys).
#include "toolkit/Control.h"
#include "toolkit/Menu.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QMainWindow;
class QWidget;

namespace toolkit {

class Button;

class Window : public Container, public ControlHost {
public:
    explicit Window(std::string name);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    QWidget* host() override;
    ControlHost& controlHost() override { return *this; }
    QMainWindow* frame() const;
    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption);
    void setClientSize(int widthTwips, int heightTwips);
    void setSizable(bool sizable);
    void setFont(const Font& f);
    void setBackColor(Color c);

    // Shows the window without blocking; showing a visible window brings it forward.
    void show();
    void hide();
    bool isShown() const { return shown_; }
    void bringToFront();
    void repaintNow();
    void setTopmost(bool topmost);

    // Unloads the window the way closing its frame does: runs onUnload, which may cancel.
    // Returns true when the window went away.
    bool unload();
    bool isUnloaded() const { return unloaded_; }

    Menu& addMenu(std::string caption, std::string name);
    // A menu-bar item without a drop-down, acting when chosen.
    MenuItem& addMenuItem(std::string caption, std::string name);
    MenuItem* findMenuItem(std::string_view name) const;

    // Enter presses the default button and Escape the cancel button, wherever the focus is.
    void setDefaultButton(Button* b) override { defaultButton_ = b; }
    void setCancelButton(Button* b) override { cancelButton_ = b; }
    Button* defaultButton() const { return defaultButton_; }
    // For a dialog without a cancel button: Escape closes it as closing its frame does.
    void setEscapeCloses(bool closes) { escapeCloses_ = closes; }
    bool escapeCloses() const { return escapeCloses_ && !cancelButton_; }
    Button* cancelButton() const { return cancelButton_; }

    // The order Tab moves the focus in, first to last; hidden and disabled controls are skipped.
    void setTabOrder(const std::vector<Control*>& order);

    Control* focused() const override { return focused_; }
    const std::vector<Control*>& controls() const { return controls_; }
    Control* find(std::string_view controlName) const;

    // Handlers. onUnload receives `cancel`; setting it non-zero keeps the window.
    std::function<void(int& cancel)> onUnload;
    std::function<void()> onActivate, onDeactivate, onClick, onResize;
    std::function<void(int& ascii)> onKeyPress;

private:
    void registerControl(Control* c) override { controls_.push_back(c); }
    void unregisterControl(Control* c) override;
    void noteFocus(Control* c) override { focused_ = c; }
    bool dialogKey(int keyCode, QWidget* focus) override;

    class Frame;
    friend class Frame;

    std::string name_;
    std::string caption_;
    Frame* frame_;
    QWidget* client_;
    std::vector<std::unique_ptr<Menu>> menus_;
    std::vector<std::unique_ptr<MenuItem>> barItems_;
    std::vector<Control*> controls_;
    Control* focused_ = nullptr;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    bool escapeCloses_ = false;
    bool shown_ = false;
    bool unloaded_ = false;
};

// One line of a window's description table: a control's name and what it is, in words.
struct ControlDescription {
    const char* control;
    const char* words;
};

// Gives each named control of the window its description. A name that is not a control of the
// window is a mistake in the table and throws std::logic_error naming it.
void describeControls(Window& window, const ControlDescription* table, size_t count);
template <size_t N>
void describeControls(Window& window, const ControlDescription (&table)[N])
{
    describeControls(window, table, N);
}

} // namespace toolkit
