#include "toolkit/Menu.h"

#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace toolkit {

MenuItem::MenuItem(QWidget* owner, std::string caption, std::string name)
    : name_(std::move(name)), caption_(std::move(caption))
{
    action_ = new QAction(toQt(caption_), owner);
    action_->setObjectName(QString::fromStdString(name_));
    owner->addAction(action_);
    QObject::connect(action_, &QAction::triggered, action_, [this] {
        // Keep the model's check mark: Qt toggles checkable actions on its own.
        action_->setChecked(checked_);
        dispatch(onClick);
    });
}

MenuItem::~MenuItem() { delete action_; }

void MenuItem::setChecked(bool c)
{
    checked_ = c;
    action_->setCheckable(c || action_->isCheckable());
    action_->setChecked(c);
}

void MenuItem::setEnabled(bool e)
{
    enabled_ = e;
    action_->setEnabled(e);
}

void MenuItem::click()
{
    if (enabled_)
        dispatch(onClick);
}

Menu::Menu(QMenuBar* bar, std::string caption, std::string name)
    : name_(std::move(name)), caption_(std::move(caption))
{
    menu_ = bar->addMenu(toQt(caption_));
    menu_->setObjectName(QString::fromStdString(name_));
}

Menu::~Menu() = default;

MenuItem& Menu::addItem(std::string caption, std::string name)
{
    items_.push_back(std::make_unique<MenuItem>(menu_, std::move(caption), std::move(name)));
    return *items_.back();
}

void Menu::addSeparator() { menu_->addSeparator(); }

MenuItem* Menu::find(std::string_view name) const
{
    for (const auto& item : items_)
        if (item->name() == name)
            return item.get();
    return nullptr;
}

} // namespace toolkit
