// carscope's buttons, polling and stress test on the virtual clock, and the window's layout.
#include "tests/carterm/CarWindowHarness.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMainWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Commands = WindowTest<CarWindowHarness>;

int polls(const std::string& sent)
{
    int n = 0;
    for (size_t at = sent.find("pmii\r"); at != std::string::npos; at = sent.find("pmii\r", at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(Commands, EachCaptionAndAccessKeyReachesItsButtonsWork)
{
    // The operator finds a button by what it says and presses it.
    const auto press = [&](const QString& caption) {
        for (QPushButton* b : f.host()->findChildren<QPushButton*>())
            if (b->text() == caption)
                return QTest::mouseClick(b, Qt::LeftButton);
        ADD_FAILURE() << "no button says " << caption.toStdString();
    };
    press("pmi 1");
    EXPECT_TRUE(f.Grid1.visible());
    press("stress");
    EXPECT_EQ(f.caption(), "Stress Test");
    press("reset");
    EXPECT_FALSE(f.Grid1.visible());
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    f.txtpos.setText("3");
    h.sent();
    press("DOB");
    EXPECT_EQ(h.sent(), "scc4\r");

    // "ST&U" and "ST&D" are pressed with Alt+U and Alt+D from anywhere in the active window
    // (the button shows itself pressed for a moment, then clicks).
    press("ST&U");
    EXPECT_EQ(h.sent(), "stu\r");
    QApplication::setActiveWindow(f.frame());
    QTest::keyClick(f.Term.widget(), Qt::Key_U, Qt::AltModifier);
    QTest::qWait(150);
    EXPECT_EQ(h.sent(), "stu\r");
    QTest::keyClick(f.Term.widget(), Qt::Key_D, Qt::AltModifier);
    QTest::qWait(150);
    EXPECT_EQ(h.sent(), "std\r");
}

TEST_F(Commands, Pmi1ShowsTheLiveViewAndPollsEvery250ms)
{
    EXPECT_FALSE(f.Text3.visible());
    h.platform.advance(1000);
    EXPECT_EQ(h.sent(), ""); // no polling before the button
    f.Command1.click();
    EXPECT_TRUE(f.Grid1.visible());
    EXPECT_TRUE(f.Text3.visible());
    EXPECT_TRUE(f.Command6.visible());
    EXPECT_TRUE(f.Text3.hasFocus());
    EXPECT_TRUE(f.Timer1.enabled());
    EXPECT_EQ(h.sent(), ""); // the button itself sends nothing

    h.platform.advance(249);
    EXPECT_EQ(h.sent(), "");
    h.platform.advance(1);
    EXPECT_EQ(h.sent(), "pmii\r");
    h.platform.advance(1000);
    EXPECT_EQ(h.sent(), "pmii\rpmii\rpmii\rpmii\r");

    // Pressing it again keeps the poll rhythm.
    h.platform.advance(100);
    f.Command1.click();
    h.platform.advance(150);
    EXPECT_EQ(polls(h.sent()), 1);

    // A stalled line: no poll queues behind one that has not left yet.
    h.line->setWaitingToSend(5);
    h.platform.advance(1000);
    EXPECT_EQ(h.sent(), "");
    h.line->setWaitingToSend(0);
    h.platform.advance(250);
    EXPECT_EQ(h.sent(), "pmii\r");
}

TEST(CommandsWithClosedPort, Pmi1ShowsTheGridAndPollsOnlyOnceThePortOpens)
{
    CarWindowHarness h(false);
    auto& f = *h.form;
    h.platform.boxes.clear();
    f.Command1.click();
    EXPECT_TRUE(f.Grid1.visible());
    EXPECT_TRUE(f.Text3.visible());
    h.platform.advance(2000);
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());

    h.line->failOpen({});
    f.MOpen.click();
    ASSERT_TRUE(f.MSComm1.portOpen());
    h.platform.advance(250);
    EXPECT_EQ(h.sent(), "pmii\r");
}

TEST_F(Commands, ResetGoesBackToTheTerminalAndStopsPollingAndTheStressTest)
{
    f.Command1.click();
    f.Command6.click();
    h.platform.advance(8000);
    EXPECT_EQ(f.caption(), "stress test");
    h.sent();

    f.Command2.click();
    EXPECT_FALSE(f.Grid1.visible());
    EXPECT_FALSE(f.Text3.visible());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_TRUE(f.Term.hasFocus());
    h.platform.advance(60000);
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Commands, DobCallsTheFloorAboveTheShownPosition)
{
    const std::pair<const char*, const char*> calls[] = {{"B", "scc1\r"}, {"1", "scc2\r"}, {"2", "scc3\r"},
                                                         {"3", "scc4\r"}, {"4", "scc5\r"}, {"5", "scc6\r"},
                                                         {"6", "scc7\r"}};
    for (auto [pos, call] : calls) {
        f.txtpos.setText(pos);
        f.Command3.click();
        EXPECT_EQ(h.sent(), call) << pos;
    }
    for (const char* pos : {"7", "", "0", "b", " 3", "3 ", "8"}) {
        f.txtpos.setText(pos);
        f.Command3.click();
        EXPECT_EQ(h.sent(), "") << '"' << pos << '"';
    }

    f.MOpen.click();
    f.txtpos.setText("3");
    f.Command3.click();
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(h.platform.boxes.empty());
}

TEST_F(Commands, StUAndStDSendWhileOpenAndLeaveTheFocusByTheRule)
{
    f.Command4.click();
    EXPECT_EQ(h.sent(), "stu\r");
    EXPECT_TRUE(f.Term.hasFocus()); // the command line is hidden
    f.Command5.click();
    EXPECT_EQ(h.sent(), "std\r");
    EXPECT_TRUE(f.Term.hasFocus());

    f.Command1.click();
    f.Term.setFocus();
    f.Command4.click();
    EXPECT_TRUE(f.Text3.hasFocus());
    h.sent();

    f.MOpen.click();
    f.Command4.click();
    f.Command5.click();
    EXPECT_EQ(h.sent(), "");
}

TEST_F(Commands, TheStressTestCallsTheTargetAt16sAndFloorOneAt24sThenEvery24s)
{
    f.Text4.setText("5");
    f.Command6.click();
    EXPECT_EQ(f.caption(), "Stress Test");
    EXPECT_TRUE(f.Term.hasFocus());

    h.platform.advance(8000);
    EXPECT_EQ(f.caption(), "stress test");
    h.platform.advance(7999);
    EXPECT_EQ(h.sent(), "");
    h.platform.advance(1);
    EXPECT_EQ(h.sent(), "scc5\r");
    EXPECT_EQ(f.caption(), "scc5");
    h.platform.advance(8000);
    EXPECT_EQ(h.sent(), "scc1\r");
    EXPECT_EQ(f.caption(), "scc1");
    EXPECT_EQ(f.stressStep, 0);

    for (int cycle = 0; cycle < 3; ++cycle) {
        h.platform.advance(8000);
        EXPECT_EQ(f.caption(), "stress test");
        EXPECT_EQ(h.sent(), "");
        h.platform.advance(8000);
        EXPECT_EQ(h.sent(), "scc5\r");
        h.platform.advance(8000);
        EXPECT_EQ(h.sent(), "scc1\r");
    }
}

TEST_F(Commands, AStoppedStressTestResumesWhereItStopped)
{
    f.Text4.setText("3");
    f.Command6.click();
    h.platform.advance(8000);
    f.Command6.click();
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_EQ(f.stressStep, 1);
    h.platform.advance(20000);
    EXPECT_EQ(h.sent(), "");

    f.Command6.click();
    h.platform.advance(8000);
    EXPECT_EQ(h.sent(), "scc3\r");

    // An empty target sends the bare floor command; the text is not checked.
    f.Text4.setText("");
    h.platform.advance(16000);
    h.sent();
    h.platform.advance(8000);
    EXPECT_EQ(h.sent(), "scc\r");
    EXPECT_EQ(f.caption(), "scc");
}

TEST_F(Commands, ClosingThePortStopsTheStressTestAndDisablesItsButton)
{
    f.Command1.click();
    f.Command6.click();
    EXPECT_TRUE(f.Text3.hasFocus());
    f.MOpen.click();
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_EQ(f.caption(), "Hoistwise Car");
    EXPECT_FALSE(f.Command6.enabled());
    f.Command6.click(); // a disabled button does nothing
    EXPECT_FALSE(f.Timer3.enabled());
    h.platform.advance(30000);
    EXPECT_EQ(h.sent(), "");
    EXPECT_TRUE(f.Timer2.enabled()); // polling waits for the port
}

// The layout as the technician expects it: the grid over the terminal, three groups of
// controls in a band under it, the command line across the full width below.
TEST_F(Commands, TheControlsStandWhereTheTechnicianLooksForThem)
{
    auto right = [](const toolkit::Control& c) { return c.left() + c.width(); };
    auto bottom = [](const toolkit::Control& c) { return c.top() + c.height(); };
    EXPECT_EQ(f.Grid1.left(), f.Term.left());
    EXPECT_EQ(f.Grid1.top(), f.Term.top());
    EXPECT_EQ(f.Grid1.width(), f.Term.width());
    EXPECT_EQ(f.Grid1.height(), f.Term.height());

    // Left: "pmi 1", "DOB", "stress", Text4 in a row.
    const toolkit::Control* row[] = {&f.Command1, &f.Command3, &f.Command6, &f.Text4};
    for (size_t i = 1; i < std::size(row); ++i) {
        EXPECT_EQ(row[i]->top(), f.Command1.top());
        EXPECT_GT(row[i]->left(), right(*row[i - 1]));
    }
    EXPECT_GT(f.Command1.top(), bottom(f.Term));
    // Middle: BBT, position, velocity side by side over the fault grid.
    const toolkit::Control* boxes[] = {&f.txtbbt, &f.txtpos, &f.txtvel};
    for (size_t i = 1; i < std::size(boxes); ++i) {
        EXPECT_EQ(boxes[i]->top(), f.txtbbt.top());
        EXPECT_GT(boxes[i]->left(), right(*boxes[i - 1]));
    }
    EXPECT_GT(f.txtbbt.left(), right(f.Text4));
    EXPECT_GT(f.Grid2.top(), bottom(f.txtbbt));
    EXPECT_LE(f.Grid2.left(), f.txtbbt.left());
    EXPECT_GE(right(f.Grid2), right(f.txtvel));
    // Right: ST&U over ST&D, reset over Text2.
    EXPECT_GT(f.Command4.left(), right(f.Grid2));
    EXPECT_EQ(f.Command5.left(), f.Command4.left());
    EXPECT_GT(f.Command5.top(), bottom(f.Command4));
    EXPECT_GT(f.Command2.left(), right(f.Command4));
    EXPECT_EQ(f.Text2.left(), f.Command2.left());
    EXPECT_GT(f.Text2.top(), bottom(f.Command2));
    // The command line below everything, across the window; the status line under it.
    for (const toolkit::Control* c : {static_cast<toolkit::Control*>(&f.Grid2), static_cast<toolkit::Control*>(&f.Command5), static_cast<toolkit::Control*>(&f.Text2)})
        EXPECT_GT(f.Text3.top(), bottom(*c)) << c->name();
    EXPECT_GE(f.Text3.width(), f.Term.width() - 300);
    EXPECT_GT(f.Label1.top(), bottom(f.Text3));
}

TEST_F(Commands, EverySignalNameAndFaultLabelFitsItsColumnWithoutScrolling)
{
    for (toolkit::Grid* grid : {&f.Grid1, &f.Grid2}) {
        auto* table = qobject_cast<QTableWidget*>(grid->widget());
        ASSERT_NE(table, nullptr);
        const QFontMetrics metrics(table->font());
        int total = 0;
        for (int c = 0; c < grid->cols(); ++c) {
            total += table->columnWidth(c);
            for (int r = 0; r < grid->rows(); ++r)
                EXPECT_LT(metrics.horizontalAdvance(QString::fromStdString(grid->cell(r, c))) + 6,
                          table->columnWidth(c))
                    << grid->name() << " row " << r << " column " << c;
        }
        EXPECT_LE(total, toolkit::px(grid->width()) - 2) << grid->name();
        // Two-character values in every column that shows them.
        for (int c : grid == &f.Grid1 ? std::vector<int>{1, 3, 5, 7, 13} : std::vector<int>{1, 2})
            EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("00")) + 6, table->columnWidth(c)) << c;
        EXPECT_LE(grid->rows() * table->rowHeight(0), toolkit::px(grid->height()) - 2) << grid->name();
        EXPECT_GE(table->rowHeight(0), metrics.height()) << grid->name();
    }
}
