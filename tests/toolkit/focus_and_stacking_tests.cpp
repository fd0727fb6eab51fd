// Tab order set by the window, Tab leaving a grid, and a control laid over an overlapping one.
#include "toolkit/Grid.h"
#include "toolkit/TestPlatform.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <gtest/gtest.h>

using namespace toolkit;

namespace {
std::string pressTab()
{
    QWidget* from = QApplication::focusWidget();
    if (!from)
        return "none";
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(from, &press);
    QWidget* to = QApplication::focusWidget();
    return to ? to->objectName().toStdString() : "none";
}

void activate(Window& w)
{
    w.show();
    QApplication::setActiveWindow(w.frame());
}
} // namespace

TEST(Focus, TabFollowsTheWindowsOrderSkippingHiddenControlsAndLeavesGrids)
{
    TestPlatform p;
    Window w("Form");
    // Created in another order than the one Tab should follow.
    TextBox c(w, "C"), a(w, "A");
    Grid g(w, "Grid", 3, 2);
    TextBox b(w, "B");
    w.setTabOrder({&g, &a, &b, &c});
    activate(w);
    g.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), g.widget());

    EXPECT_EQ(pressTab(), "A"); // not the grid's next cell
    EXPECT_EQ(pressTab(), "B");
    EXPECT_EQ(pressTab(), "C");
    b.setVisible(false);
    EXPECT_EQ(pressTab(), "Grid");
    EXPECT_EQ(pressTab(), "A");
    EXPECT_EQ(pressTab(), "C");
}

TEST(Stacking, AControlBroughtToFrontLiesOverTheGridBeneathIt)
{
    TestPlatform p;
    Window w("runecast");
    w.setClientSize(3000, 3000);
    TextBox box(w, "Text1");
    Grid g(w, "MSFlexGrid1", 8, 2); // created later, so it starts on top
    g.move(0, 600, 2055, 2055);
    box.move(1680, 600, 285, 285);
    w.show();
    const QPoint inside(112 + 5, 40 + 5);
    EXPECT_NE(w.host()->childAt(inside), box.widget());
    box.bringToFront();
    EXPECT_EQ(w.host()->childAt(inside), box.widget());
}
