#pragma once
// Menus with captions ('&' marks the access key), check marks and enabled states.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace toolkit {

class MenuItem {
public:
    // `owner` is the drop-down menu or, for a top-level item that acts by itself, the menu bar.
    MenuItem(QWidget* owner, std::string caption, std::string name);
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    bool checked() const { return checked_; }
    void setChecked(bool c);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    QAction* action() const { return action_; }
    // Chooses the item as the operator would: nothing happens while it is disabled.
    void click();

    std::function<void()> onClick;

private:
    std::string name_;
    std::string caption_;
    QAction* action_;
    bool checked_ = false;
    bool enabled_ = true;
};

class Menu {
public:
    Menu(QMenuBar* bar, std::string caption, std::string name);
    ~Menu();
    MenuItem& addItem(std::string caption, std::string name);
    void addSeparator();
    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    QMenu* qmenu() const { return menu_; }
    const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
    MenuItem* find(std::string_view name) const;

private:
    std::string name_;
    std::string caption_;
    QMenu* menu_;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

} // namespace toolkit
