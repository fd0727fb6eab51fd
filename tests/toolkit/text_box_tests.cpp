// The text box's exact model: change handlers nested in assignments, selections counted in
// characters with CR LF as two, key handling, and the widget following the model.
#include "toolkit/Button.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TestPlatform.h"
#include "toolkit/TextBox.h"
#include "toolkit/Window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

using namespace toolkit;

namespace {
struct TextBoxTest : ::testing::Test {
    TestPlatform platform;
    Window window{"Form"};
};
} // namespace

TEST_F(TextBoxTest, ChangeRunsNestedOnlyWhenTheTextChanges)
{
    TextBox a(window, "A"), b(window, "B");
    std::vector<std::string> seen;
    a.onChange = [&] {
        seen.push_back("a:" + a.text());
        b.setText(a.text() + "!"); // a chain: b's handler runs inside a's assignment
        seen.push_back("a done");
    };
    b.onChange = [&] { seen.push_back("b:" + b.text()); };

    a.setText("x");
    a.setText("x"); // same value: nothing runs
    EXPECT_EQ(seen, (std::vector<std::string>{"a:x", "b:x!", "a done"}));
}

TEST_F(TextBoxTest, SelectionEditsCountCrLfAsTwoCharacters)
{
    TextBox t(window, "Term", TextBox::Kind::MultiLine, TextBox::BothScrollBars);
    int changes = 0;
    t.onChange = [&] { ++changes; };
    t.setText("AB\r\nC");
    EXPECT_EQ(t.text().size(), 5u);

    ASSERT_TRUE(t.setSelStart(5));
    t.setSelText("D\r\n");
    EXPECT_EQ(t.text(), "AB\r\nCD\r\n");
    EXPECT_EQ(t.selStart(), 8);

    // Selecting the last character and replacing it erases it.
    t.setSelStart(7);
    t.setSelLength(1);
    EXPECT_EQ(t.selText(), "\n");
    t.setSelText("");
    EXPECT_EQ(t.text(), "AB\r\nCD\r");

    // A negative insertion point is refused and changes nothing; past the end clamps.
    EXPECT_FALSE(t.setSelStart(-1));
    EXPECT_EQ(t.selStart(), 7);
    t.setSelStart(100);
    EXPECT_EQ(t.selStart(), 7);
    t.setSelLength(5);
    EXPECT_EQ(t.selLength(), 0);
    EXPECT_EQ(changes, 3);
}

TEST_F(TextBoxTest, KeysRunDownPressUpAndMayBeConsumed)
{
    TextBox t(window, "Text3");
    std::string log;
    t.onKeyDown = [&](int code, int) { log += "d" + std::to_string(code) + " "; };
    t.onKeyPress = [&](int& ascii) {
        log += "p" + std::to_string(ascii) + " ";
        if (ascii == 'x')
            ascii = 0; // consumed
    };
    t.onKeyUp = [&](int code, int) { log += "u" + std::to_string(code) + " "; };
    t.type("ax");
    EXPECT_EQ(t.text(), "a");
    EXPECT_EQ(log, "d65 p97 u65 d88 p120 u88 ");

    t.userKey(8, 8); // backspace
    EXPECT_EQ(t.text(), "");
}

TEST_F(TextBoxTest, MultiLineEnterInsertsCrLfAndBackspaceRemovesThePair)
{
    TextBox t(window, "Term", TextBox::Kind::MultiLine);
    t.type("A\r");
    EXPECT_EQ(t.text(), "A\r\n");
    t.userKey(8, 8);
    EXPECT_EQ(t.text(), "A");
}

TEST_F(TextBoxTest, WidgetShowsTheModelAndOperatorEditsReachIt)
{
    TextBox line(window, "Text1");
    int changes = 0;
    line.onChange = [&] { ++changes; };
    line.setText("abc");
    auto* edit = static_cast<QLineEdit*>(line.widget());
    EXPECT_EQ(edit->text(), "abc");
    edit->setText("abcd");
    emit edit->textEdited("abcd"); // what Qt emits for the operator's own edit
    EXPECT_EQ(line.text(), "abcd");
    EXPECT_EQ(changes, 2);

    TextBox area(window, "Term", TextBox::Kind::MultiLine);
    area.setHighRate(true);
    area.setText("one\r\ntwo");
    area.flushDisplay();
    auto* plain = static_cast<QPlainTextEdit*>(area.widget());
    EXPECT_EQ(plain->toPlainText(), "one\ntwo");
    // Dropping the front and appending a tail is shown incrementally and exactly.
    area.setText(std::string("e\r\ntwo"));
    area.setSelStart(static_cast<long>(area.text().size()));
    area.setSelText("\r\nthree\xe9");
    area.flushDisplay();
    EXPECT_EQ(plain->toPlainText(), QString::fromLatin1("e\ntwo\nthree\xe9"));
}

TEST_F(TextBoxTest, ALockedBoxKeepsItsTextAgainstKeysButStillReportsThem)
{
    TextBox t(window, "Text1");
    t.setText("http://www.hoistwise.example");
    t.setLocked(true);
    int changes = 0, presses = 0, releases = 0;
    t.onChange = [&] { ++changes; };
    t.onKeyPress = [&](int&) { ++presses; };
    t.onKeyUp = [&](int, int) { ++releases; };
    t.setSelStart(0);
    t.setSelLength(4);
    t.type("7");
    t.userKey(kKeyBack, kKeyBack);
    EXPECT_EQ(t.text(), "http://www.hoistwise.example");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(releases, 2);
    EXPECT_TRUE(static_cast<QLineEdit*>(t.widget())->isReadOnly());
    t.setText("changed by the program");
    EXPECT_EQ(changes, 1);
}

// Enter in a one-line box is the window's: it presses the default button, and with that button
// disabled it goes on as a typed key, as it does anywhere else in the window.
TEST_F(TextBoxTest, EnterPressesTheDefaultButtonOrIsTypedWhenThatIsDisabled)
{
    Button ok(window, "OK", "OK");
    ok.makeDefault();
    TextBox t(window, "Text1");
    int clicks = 0, presses = 0;
    ok.onClick = [&] { ++clicks; };
    t.onKeyPress = [&](int& ascii) { presses += ascii == kKeyReturn; };
    for (bool enabled : {true, false}) {
        ok.setEnabled(enabled);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(t.widget(), &enter);
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(presses, 1);
}
