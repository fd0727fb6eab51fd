#include "toolkit/Window.h"

#include "toolkit/Button.h"
#include "toolkit/Bytes.h"
#include "toolkit/Dispatch.h"
#include "toolkit/KeyCodes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <stdexcept>

namespace toolkit {

class Window::Frame : public QMainWindow {
public:
    explicit Frame(Window& w) : owner_(w) {}

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        dispatch([this] { owner_.unload(); });
    }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::WindowActivate)
            dispatch(owner_.onActivate);
        else if (e->type() == QEvent::WindowDeactivate)
            dispatch(owner_.onDeactivate);
        return QMainWindow::event(e);
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QMainWindow::resizeEvent(e);
        dispatch(owner_.onResize);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (owner_.dialogKey(keyCodeOf(*e), QApplication::focusWidget()))
            return;
        int ascii = asciiOf(*e);
        if (ascii && owner_.onKeyPress) {
            dispatch([&] { owner_.onKeyPress(ascii); });
            return;
        }
        QMainWindow::keyPressEvent(e);
    }

private:
    Window& owner_;
};

namespace {
// Clicks on the bare client area, not on a control standing on it.
class BackgroundClicks : public QObject {
public:
    BackgroundClicks(QWidget* client, Window& w) : QObject(client), client_(client), window_(w) {}
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (obj == client_ && e->type() == QEvent::MouseButtonRelease)
            dispatch(window_.onClick);
        return false;
    }

private:
    QWidget* client_;
    Window& window_;
};
} // namespace

Window::Window(std::string name) : name_(std::move(name))
{
    frame_ = new Frame(*this);
    frame_->setObjectName(QString::fromStdString(name_));
    frame_->setAttribute(Qt::WA_DeleteOnClose, false);
    client_ = new QWidget(frame_);
    client_->setObjectName(QString::fromStdString(name_ + ".client"));
    client_->installEventFilter(new BackgroundClicks(client_, *this));
    frame_->setCentralWidget(client_);
}

Window::~Window()
{
    menus_.clear();
    barItems_.clear();
    delete frame_;
}

QWidget* Window::host() { return client_; }

QMainWindow* Window::frame() const { return frame_; }

void Window::setCaption(std::string_view caption)
{
    caption_ = std::string(caption);
    frame_->setWindowTitle(toQt(caption_));
    frame_->setAccessibleName(toQt(caption_));
}

void Window::setClientSize(int widthTwips, int heightTwips)
{
    // Never beyond the screen's free area: what lay past its edge could not be reached. The
    // margin leaves room for the frame's title bar and borders.
    QSize size(px(widthTwips), px(heightTwips));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 64);
        size = size.boundedTo(room.expandedTo(QSize(1, 1)));
    }
    client_->setMinimumSize(size);
    frame_->adjustSize();
    client_->setMinimumSize(0, 0);
}

void Window::setSizable(bool sizable)
{
    // The frame's current size is the one setClientSize gave it.
    if (!sizable)
        frame_->setFixedSize(frame_->size());
}

void Window::setFont(const Font& f) { applyFont(frame_, f); }

void Window::setBackColor(Color c)
{
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, QColor(c.r, c.g, c.b));
    client_->setPalette(pal);
    client_->setAutoFillBackground(true);
}

void Window::show()
{
    unloaded_ = false;
    shown_ = true;
    frame_->show();
    bringToFront();
    if (focused_)
        focused_->widget()->setFocus(Qt::OtherFocusReason);
}

void Window::hide()
{
    shown_ = false;
    frame_->hide();
}

void Window::bringToFront()
{
    frame_->raise();
    frame_->activateWindow();
}

void Window::repaintNow()
{
    frame_->repaint();
    QCoreApplication::sendPostedEvents();
}

void Window::setTopmost(bool topmost)
{
    if (frame_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    const bool wasShown = frame_->isVisible();
    frame_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (wasShown)
        frame_->show();
}

bool Window::unload()
{
    int cancel = 0;
    if (onUnload)
        onUnload(cancel);
    if (cancel)
        return false;
    unloaded_ = true;
    hide();
    return true;
}

Menu& Window::addMenu(std::string caption, std::string name)
{
    menus_.push_back(std::make_unique<Menu>(frame_->menuBar(), std::move(caption), std::move(name)));
    return *menus_.back();
}

MenuItem& Window::addMenuItem(std::string caption, std::string name)
{
    barItems_.push_back(std::make_unique<MenuItem>(frame_->menuBar(), std::move(caption), std::move(name)));
    return *barItems_.back();
}

MenuItem* Window::findMenuItem(std::string_view name) const
{
    for (const auto& item : barItems_)
        if (item->name() == name)
            return item.get();
    for (const auto& menu : menus_)
        if (auto* item = menu->find(name))
            return item;
    return nullptr;
}

void Window::setTabOrder(const std::vector<Control*>& order)
{
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1]->widget(), order[i]->widget());
}

Control* Window::find(std::string_view controlName) const
{
    for (auto* c : controls_)
        if (c->name() == controlName)
            return c;
    return nullptr;
}

bool Window::dialogKey(int keyCode, QWidget* focus)
{
    if (keyCode == kKeyReturn) {
        if (auto* b = qobject_cast<QPushButton*>(focus)) {
            b->click();
            return true;
        }
        if (defaultButton_ && defaultButton_->enabled()) {
            defaultButton_->click();
            return true;
        }
    }
    if (keyCode == kKeyEscape && cancelButton_ && cancelButton_->enabled()) {
        cancelButton_->click();
        return true;
    }
    if (keyCode == kKeyEscape && escapeCloses()) {
        dispatch([this] { unload(); });
        return true;
    }
    return false;
}

void describeControls(Window& window, const ControlDescription* table, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        Control* control = window.find(table[i].control);
        if (!control)
            throw std::logic_error(window.name() + " has no control " + table[i].control + " to describe");
        control->setDescription(table[i].words);
    }
}

void Window::unregisterControl(Control* c)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (focused_ == c)
        focused_ = nullptr;
}

} // namespace toolkit
