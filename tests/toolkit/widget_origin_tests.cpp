// One rule for every control that holds a value: whatever changes the widget (here through the
// accessibility interfaces a screen reader or test tool uses, and the widget's own paste)
// changes the control and runs its handler exactly once; the program's own assignments run the
// handler nested and only on a change, and never echo back from the widget.
#include "toolkit/Grid.h"
#include "toolkit/GridAccessible.h"
#include "toolkit/Menu.h"
#include "toolkit/OptionButton.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/TestPlatform.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>

using namespace toolkit;

namespace {

QAccessibleInterface* accessible(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

void replaceAccessibleText(QWidget* w, const char* text)
{
    auto* edit = accessible(w)->editableTextInterface();
    edit->replaceText(0, accessible(w)->textInterface()->characterCount(), QString::fromLatin1(text));
}

void doAccessibleAction(QObject* o, const QString& action) { accessible(o)->actionInterface()->doAction(action); }

// A control kind: how to build it, change it through its widget and by program, and read it.
struct Kind {
    const char* name;
    std::function<void(Window&, std::unique_ptr<void, void (*)(void*)>&, std::function<void()>& onChange,
                       std::function<void()>& byWidget, std::function<void()>& byProgram,
                       std::function<std::string()>& value)>
        make;
    std::string afterWidget, afterProgram;
};

template <typename C>
std::unique_ptr<void, void (*)(void*)> own(C* c)
{
    return {c, [](void* p) { delete static_cast<C*>(p); }};
}

const Kind kKinds[] = {
    {"single-line text box, accessible set-text",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         auto* t = new TextBox(w, "Text30");
         keep = own(t);
         t->onChange = [&onChange] { onChange(); };
         byWidget = [t] { replaceAccessibleText(t->widget(), "146"); };
         byProgram = [t] { t->setText("5"); };
         value = [t] { return t->text(); };
     },
     "146", "5"},
    {"single-line text box, paste",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         auto* t = new TextBox(w, "txtpos");
         keep = own(t);
         t->onChange = [&onChange] { onChange(); };
         byWidget = [t] { static_cast<QLineEdit*>(t->widget())->insert("3"); };
         byProgram = [t] { t->setText("B"); };
         value = [t] { return t->text(); };
     },
     "3", "B"},
    {"multi-line text box, accessible insert",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         auto* t = new TextBox(w, "Text31", TextBox::Kind::MultiLine);
         keep = own(t);
         t->onChange = [&onChange] { onChange(); };
         byWidget = [t] { accessible(t->widget())->editableTextInterface()->insertText(0, "a\nb"); };
         byProgram = [t] { t->setText("c"); };
         value = [t] { return t->text(); };
     },
     "a\r\nb", "c"},
    {"high-rate pane, edit while the widget is behind",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         auto* t = new TextBox(w, "Term", TextBox::Kind::MultiLine, TextBox::BothScrollBars);
         keep = own(t);
         t->setHighRate(true);
         t->setText("AB");
         t->flushDisplay();
         t->setSelStart(2);
         t->setSelText("CD"); // received, not shown yet
         t->onChange = [&onChange] { onChange(); };
         byWidget = [t] { accessible(t->widget())->editableTextInterface()->insertText(0, ">"); };
         byProgram = [t] { t->setText("E"); };
         value = [t] { return t->text(); };
     },
     ">ABCD", "E"},
    {"option button, accessible Toggle",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         struct Pair {
             Pair(Window& w) : futura(w, "Option1", "Futura"), meridia(w, "Option2", "Meridia") {}
             OptionButton futura, meridia;
         };
         auto* p = new Pair(w);
         keep = own(p);
         p->futura.setValue(true);
         p->meridia.onClick = [&onChange] { onChange(); };
         p->futura.onClick = [&onChange] { onChange(); };
         byWidget = [p] { doAccessibleAction(p->meridia.widget(), QAccessibleActionInterface::toggleAction()); };
         byProgram = [p] { p->futura.setValue(true); };
         value = [p] { return std::string(p->futura.value() ? "Futura" : "") + (p->meridia.value() ? "Meridia" : ""); };
     },
     "Meridia", "Futura"},
    {"scroll bar, accessible value",
     [](Window& w, auto& keep, auto& onChange, auto& byWidget, auto& byProgram, auto& value) {
         auto* b = new ScrollBar(w, "VScroll1", 0, 32767);
         keep = own(b);
         b->onChange = [&onChange] { onChange(); };
         byWidget = [b] { accessible(b->widget())->valueInterface()->setCurrentValue(7); };
         byProgram = [b] { b->setValue(8); };
         value = [b] { return std::to_string(b->value()); };
     },
     "7", "8"},
};

struct WidgetOrigin : ::testing::TestWithParam<Kind> {
    TestPlatform platform;
    Window window{"Form"};
};

TEST_P(WidgetOrigin, RunsTheHandlerOnceAndProgramChangesKeepTheirRule)
{
    const Kind& kind = GetParam();
    std::unique_ptr<void, void (*)(void*)> keep{nullptr, [](void*) {}};
    std::function<void()> byWidget, byProgram;
    std::function<std::string()> value;
    std::vector<std::string> seen;
    std::function<void()> onChange = [&] { seen.push_back(value()); };
    kind.make(window, keep, onChange, byWidget, byProgram, value);
    seen.clear();

    byWidget();
    QApplication::processEvents();
    EXPECT_EQ(value(), kind.afterWidget);
    EXPECT_EQ(seen, std::vector<std::string>{kind.afterWidget}) << "handler runs once, after the value changed";

    seen.clear();
    byProgram(); // nested: the handler saw the new value during the assignment
    EXPECT_EQ(seen, std::vector<std::string>{kind.afterProgram});
    byProgram(); // the same value again: nothing
    QApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u) << "no echo from the widget, nothing on an unchanged value";
    EXPECT_EQ(value(), kind.afterProgram);
}

INSTANTIATE_TEST_SUITE_P(Kinds, WidgetOrigin, ::testing::ValuesIn(kKinds),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(WidgetOriginRefused, LockedAndDisabledBoxesKeepTheirTextAgainstTheWidget)
{
    TestPlatform platform;
    Window window("runecast");
    TextBox lamp(window, "Text1"), field(window, "errormessage_textbox", TextBox::Kind::MultiLine);
    lamp.setLocked(true);
    field.setEnabled(false);
    int runs = 0;
    lamp.onChange = field.onChange = [&] { ++runs; };
    replaceAccessibleText(lamp.widget(), "x");
    replaceAccessibleText(field.widget(), "y");
    QApplication::processEvents();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(static_cast<QLineEdit*>(lamp.widget())->text(), "");
    EXPECT_EQ(static_cast<QPlainTextEdit*>(field.widget())->toPlainText(), "");
    EXPECT_EQ(lamp.text() + field.text(), "");
}

TEST(WidgetOriginMenu, AnAccessiblePressChoosesTheItemOnceAndTheProgramKeepsTheCheckMark)
{
    TestPlatform platform;
    Window window("Form1");
    Menu& port = window.addMenu("&CommPort", "MPort");
    MenuItem& open = port.addItem("Port &Open", "MOpen");
    int runs = 0;
    open.onClick = [&] { ++runs; };
    QAccessibleInterface* menu = accessible(port.qmenu());
    ASSERT_NE(menu, nullptr);
    menu->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(open.checked()) << "the handler, not the widget, sets the check mark";
    open.setChecked(true);
    menu->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(open.action()->isChecked());
}

TEST(GridAccessibility, ReportsExactlyItsCellsInRowOrder)
{
    TestPlatform platform;
    Window window("Form1");
    Grid grid(window, "Grid2", 4, 3);
    grid.setRow(2);
    grid.setCol(1);
    grid.setText("12");
    QAccessibleInterface* table = accessible(grid.widget());
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->childCount(), 12);
    EXPECT_EQ(table->tableInterface()->rowCount(), 4);
    EXPECT_EQ(table->tableInterface()->columnCount(), 3);
    QAccessibleInterface* cell = table->child(gridCellIndex(2, 1, 3));
    EXPECT_EQ(cell->text(QAccessible::Name), "12");
    EXPECT_EQ(cell, table->tableInterface()->cellAt(2, 1));
    EXPECT_EQ(table->indexOfChild(cell), 7);
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 2);
    EXPECT_TRUE(cell->tableCellInterface()->columnHeaderCells().isEmpty());
    EXPECT_EQ(table->child(12), nullptr);
    EXPECT_EQ(table->tableInterface()->cellAt(9, 9), table->child(11)) << "past the edge: the nearest cell";
}

} // namespace
