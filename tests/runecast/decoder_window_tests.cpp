// The decoder window as loaded, the controller model switch, the mode lookup, the indicators'
// place over the grids, the tab order, and closing the window.
#include "tests/runecast/DecoderFixture.h"
#include "runecast/FlagLabels.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTableWidget>

using runecast::GridLabels;

namespace {
std::string labels(const toolkit::Grid& grid)
{
    std::string out;
    for (int row = 0; row < 8; ++row)
        out += grid.cell(row, 0) + "|";
    return out;
}

std::string labels(const GridLabels& table)
{
    std::string out;
    for (auto label : table)
        out += std::string(label) + "|";
    return out;
}
} // namespace

TEST_F(DecoderTest, LoadOpensOnFaultOneWithEveryBankDark)
{
    EXPECT_EQ(w.caption(), " Futura Runecast");
    EXPECT_EQ(w.Text30.text(), "1");
    EXPECT_EQ(w.VScroll1.value(), 1);
    EXPECT_EQ(shown(), "Division by zero. [33]");
    EXPECT_EQ(lit(w.dzIndicators) + lit(w.csIndicators) + lit(w.dsIndicators), std::string(24, '.'));
    EXPECT_TRUE(w.Option1.value());
    EXPECT_FALSE(w.Option2.value());
    EXPECT_EQ(labels(w.MSFlexGrid1), labels(runecast::kFuturaDzLabels));
    EXPECT_EQ(labels(w.MSFlexGrid2), labels(runecast::kCsLabels));
    EXPECT_EQ(labels(w.MSFlexGrid3), labels(runecast::kDsLabels));
    for (auto* box : {&w.Text2, &w.Text10, &w.Text21, &w.Text19, &w.Text20})
        EXPECT_EQ(box->text(), "") << box->name();
    EXPECT_EQ(w.focused(), &w.MSFlexGrid1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DecoderTest, SwitchingModelRenamesTheDzBitsAndLeavesEverythingElse)
{
    w.Text2.setText("e0h");
    w.Text10.setText("7DH");
    w.VScroll1.setValue(5);
    const std::string before = lit(w.dzIndicators) + lit(w.csIndicators) + shown();

    static_cast<QAbstractButton*>(w.Option2.widget())->click(); // as the technician does
    EXPECT_TRUE(w.Option2.value());
    EXPECT_FALSE(w.Option1.value());
    EXPECT_EQ(w.caption(), "Meridia Runecast");
    EXPECT_EQ(labels(w.MSFlexGrid1), labels(runecast::kMeridiaDzLabels));
    EXPECT_EQ(w.MSFlexGrid1.cell(0, 0), "7                 "); // a lit row with no name
    EXPECT_EQ(labels(w.MSFlexGrid2), labels(runecast::kCsLabels));
    EXPECT_EQ(lit(w.dzIndicators) + lit(w.csIndicators) + shown(), before);

    static_cast<QAbstractButton*>(w.Option1.widget())->click();
    EXPECT_EQ(w.caption(), " Futura Runecast");
    EXPECT_EQ(labels(w.MSFlexGrid1), labels(runecast::kFuturaDzLabels));
    EXPECT_EQ(lit(w.dzIndicators) + lit(w.csIndicators) + shown(), before);
    EXPECT_EQ(w.Text2.text(), "e0h");
}

TEST_F(DecoderTest, ModeNumbersShowTheirNames)
{
    w.Text19.type("16");
    EXPECT_EQ(w.Text20.text(), "ATT");
    w.Text19.setText("7");
    EXPECT_EQ(w.Text20.text(), "");
    w.Text19.setText("016");
    EXPECT_EQ(w.Text20.text(), "");
    w.Text19.setText("5");
    EXPECT_EQ(w.Text20.text(), "### INIT");
    w.Text19.setText("");
    EXPECT_EQ(w.Text20.text(), "");
}

TEST_F(DecoderTest, IndicatorsLieOverTheSecondCellOfTheirRows)
{
    w.Text2.setText("ffh");
    w.Text10.setText("ffh");
    w.Text21.setText("ffh");
    w.show();
    for (auto [grid, indicators] : {std::pair{&w.MSFlexGrid1, &w.dzIndicators}, {&w.MSFlexGrid2, &w.csIndicators},
                                    {&w.MSFlexGrid3, &w.dsIndicators}}) {
        auto* table = static_cast<QTableWidget*>(grid->widget());
        const QFontMetrics metrics(table->font());
        for (int row = 0; row < 8; ++row) {
            const auto& box = *(*indicators)[static_cast<size_t>(row)];
            EXPECT_EQ(box.left(), grid->left() + 1680);
            EXPECT_EQ(box.top(), 600 + 240 * row);
            EXPECT_EQ(box.backColor(), toolkit::colors::red);
            // The cell's centre, in the window, is covered by the indicator.
            const QRect cell = table->visualItemRect(table->item(row, 1));
            const QPoint centre = table->viewport()->mapTo(w.host(), cell.center());
            EXPECT_EQ(w.host()->childAt(centre), box.widget()) << box.name();
            // The label fits its column in full.
            EXPECT_LT(metrics.horizontalAdvance(QString::fromStdString(grid->cell(row, 0))) + 6,
                      table->columnWidth(0))
                << grid->cell(row, 0);
        }
    }
}

TEST_F(DecoderTest, TabVisitsTheControlsInOrderSkippingDarkIndicatorsAndHiddenNotes)
{
    w.Text2.setText("80h");  // Text1 lit
    w.Text10.setText("01h"); // Text18 lit
    w.show();
    QApplication::setActiveWindow(w.frame());
    w.MSFlexGrid1.setFocus();
    std::vector<std::string> visited;
    for (int i = 0; i < 16; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"Text1", "Text2", "Text10", "MSFlexGrid2", "Text18", "Text19",
                                                 "Text20", "MSFlexGrid3", "Text21", "Option1", "Text30", "Text31",
                                                 "VScroll1", "Text33", "MSFlexGrid1", "Text1"}));
}

TEST_F(DecoderTest, ClosingTheWindowEndsTheProgram)
{
    w.show();
    w.frame()->close();
    EXPECT_TRUE(platform.ended);
}
