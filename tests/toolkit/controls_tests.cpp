// Controls whose rules windows lean on: the stepper's nested change handling, the grid's
// current cell, menu items, buttons, scripted message boxes, and exceptions in handlers.
#include "toolkit/Button.h"
#include "toolkit/Dispatch.h"
#include "toolkit/Grid.h"
#include "toolkit/Label.h"
#include "toolkit/OptionButton.h"
#include "toolkit/QtPlatform.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/TextBox.h"
#include "toolkit/TestPlatform.h"
#include "toolkit/Window.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace toolkit;

TEST(ScrollBar, ClampingInsideTheChangeHandlerRunsNested)
{
    TestPlatform p;
    Window w("runecast");
    ScrollBar bar(w, "VScroll1", 0, 32767);
    std::vector<int> seen;
    bar.onChange = [&] {
        seen.push_back(bar.value());
        if (bar.value() > 145)
            bar.setValue(145);
        seen.push_back(-bar.value());
    };
    bar.setValue(200);
    EXPECT_EQ(seen, (std::vector<int>{200, 145, -145, -145}));
    seen.clear();
    bar.setValue(145); // not a change
    EXPECT_TRUE(seen.empty());
}

TEST(Grid, CurrentCellSelectsWhereTextGoes)
{
    TestPlatform p;
    Window w("Form1");
    Grid g(w, "Grid1", 17, 18);
    g.setCol(6);
    g.setRow(2);
    g.setText("R1 ");
    EXPECT_EQ(g.cell(2, 6), "R1 ");
    EXPECT_EQ(g.text(), "R1 ");
    EXPECT_THROW(g.setRow(17), std::out_of_range);
}

TEST(Controls, MenuItemsAndButtonsActOnlyWhenEnabled)
{
    TestPlatform p;
    Window w("Form1");
    Menu& file = w.addMenu("&File", "MFile");
    MenuItem& item = file.addItem("&Transmit Text File...", "MSendText");
    Button b(w, "Command6", "stress");
    int clicks = 0;
    item.onClick = [&] { ++clicks; };
    b.onClick = [&] { ++clicks; };
    item.setEnabled(false);
    b.setEnabled(false);
    item.click();
    b.click();
    EXPECT_EQ(clicks, 0);
    item.setEnabled(true);
    b.setEnabled(true);
    item.click();
    b.click();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(w.findMenuItem("MSendText"), &item);
    EXPECT_EQ(b.widget()->accessibleName(), "stress");
    EXPECT_EQ(w.find("Command6"), &b);
}

TEST(Controls, AClickOnALabelIsNotAClickOnTheWindow)
{
    TestPlatform p;
    Window w("Form5");
    Label l(w, "Label1", "Hoistwise");
    int windowClicks = 0, labelClicks = 0;
    w.onClick = [&] { ++windowClicks; };
    l.onClick = [&] { ++labelClicks; };
    w.show();
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(l.widget(), &press);
    QApplication::sendEvent(l.widget(), &release);
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(windowClicks, 0);
    QApplication::sendEvent(w.host(), &release);
    EXPECT_EQ(windowClicks, 1);
}

TEST(Controls, AnExceptionInAHandlerBecomesAWarningBox)
{
    TestPlatform p;
    dispatch([] { throw std::runtime_error("boom"); });
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_NE(p.boxes[0].text.find("boom"), std::string::npos);
    EXPECT_EQ(p.boxes[0].icon, MsgIcon::Exclamation);
}

TEST(Controls, ScriptedAnswersAndFileChoices)
{
    TestPlatform p;
    p.answer(MsgResult::Cancel);
    EXPECT_EQ(p.messageBox("x", MsgButtons::OKCancel, MsgIcon::None, "t"), MsgResult::Cancel);
    EXPECT_EQ(p.messageBox("y", MsgButtons::RetryCancel, MsgIcon::Critical, ""), MsgResult::Retry);
    p.chooseFile(std::nullopt);
    p.chooseFile("/tmp/a.log");
    std::string name;
    EXPECT_FALSE(p.openFileDialog("Open", "Log Files (*.LOG)|*.log", name));
    EXPECT_TRUE(p.openFileDialog("Open", "Log Files (*.LOG)|*.log", name));
    EXPECT_EQ(name, "/tmp/a.log");
    EXPECT_EQ(p.fileRequests.size(), 2u);
}

TEST(Controls, FileFiltersBecomeQtFiltersMatchingEitherCase)
{
    EXPECT_EQ(qtFileFilter("Log Files (*.LOG)|*.log|All Files (*.*)|*.*"),
              "Log Files (*.LOG) (*.log *.LOG);;All Files (*.*) (*)");
}

TEST(Controls, WidgetsGoWithTheirControlsSoAShownWindowClosesCleanly)
{
    TestPlatform p;
    auto w = std::make_unique<Window>("runecast");
    {
        TextBox t(*w, "Text1");
        Label l(*w, "Label1", "DZ");
        w->show();
        t.setFocus();
    }
    EXPECT_TRUE(w->host()->findChildren<QWidget*>().isEmpty());
    w.reset(); // hid the dead controls' widgets through their event filters before
}

TEST(Controls, AClickAnywhereOnAnOptionButtonSelectsIt)
{
    TestPlatform p;
    Window w("runecast");
    OptionButton futura(w, "Option1", "Futura"), meridia(w, "Option2", "Meridia");
    futura.move(0, 2640, 2055, 555);
    meridia.move(0, 3120, 2055, 555);
    futura.setValue(true);
    int clicks = 0;
    meridia.onClick = [&] { ++clicks; };
    w.show();
    const QPointF farCorner(130, 2); // right of the caption, above its line
    QMouseEvent press(QEvent::MouseButtonPress, farCorner, farCorner, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, farCorner, farCorner, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(meridia.widget(), &press);
    QApplication::sendEvent(meridia.widget(), &release);
    EXPECT_TRUE(meridia.value());
    EXPECT_FALSE(futura.value());
    EXPECT_EQ(clicks, 1);
}

TEST(Controls, AFixedSizeWindowKeepsTheSizeItWasGiven)
{
    TestPlatform p;
    Window w("Form5");
    w.setClientSize(6000, 3300);
    w.setSizable(false);
    w.show();
    EXPECT_GE(w.frame()->width(), 400);
    EXPECT_GE(w.frame()->height(), 220);
}
