#include "carscope/ScopeForm1.h"

namespace carterm {

using toolkit::Font;

ScopeForm1::ScopeForm1(std::unique_ptr<serial::SerialBackend> serialBackend)
    : Form1(std::move(serialBackend)), Grid1(*this, "Grid1", 17, 18), Grid2(*this, "Grid2", 4, 3)
{
    Grid1.setVisible(false);
    txtbbt.setText("11.31");
    Grid1.onRowColChange = [this] { Grid1_RowColChange(); };
    placeControls();
    toolkit::describeControls(*this, kScopeForm1Descriptions);
}

// Positions in twips. The signal grid lies over the terminal pane; below it, left to right:
// the buttons "pmi 1", "DOB", "stress" and the stress target; the BBT, position and velocity
// boxes over the fault grid; "ST&U" over "ST&D"; "reset" over the stop count. The command line
// runs across the full width under them, the status line at the bottom.
void ScopeForm1::placeControls()
{
    constexpr int width = 10800;
    constexpr int paneHeight = 4830;
    setClientSize(width, 7440);
    Term.move(0, 0, width, paneHeight);
    Text1.move(0, 0, width, paneHeight);

    // 17 rows of 270 twips fill the pane; names get room for "16.TRIP ", values for two
    // characters, and the columns that never hold anything stay narrow.
    Grid1.move(0, 0, width, paneHeight);
    Grid1.setFont(Font{nullptr, 8, false});
    Grid1.setRowHeight(270);
    for (int c = 0; c < Grid1.cols(); ++c) {
        const bool nameColumn = c == 0 || c == 2 || c == 4 || c == 6;
        const bool valueColumn = c == 1 || c == 3 || c == 5 || c == 7 || c == 13;
        Grid1.setColWidth(c, nameColumn ? 1230 : valueColumn ? 450 : 390);
    }

    constexpr int row1 = 4950, row2 = 5430, boxHeight = 375;
    Command1.move(120, row1, 975, boxHeight);
    Command3.move(1200, row1, 975, boxHeight);
    Command6.move(2280, row1, 975, boxHeight);
    Text4.move(3360, row1, 615, boxHeight);

    // The three boxes span the fault grid, which is just wide and tall enough for its cells.
    txtbbt.move(4320, row1, 855, boxHeight);
    txtpos.move(5265, row1, 540, boxHeight);
    txtvel.move(5895, row1, 735, boxHeight);
    Grid2.move(4320, row2, 2310, 990);
    Grid2.setRowHeight(240);
    Grid2.setColWidth(0, 1080);
    Grid2.setColWidth(1, 600);
    Grid2.setColWidth(2, 600);

    Command4.move(7920, row1, 975, boxHeight);
    Command5.move(7920, row2, 975, boxHeight);
    Command2.move(9240, row1, 975, boxHeight);
    Text2.move(9240, row2, 975, boxHeight);

    Text3.move(120, 6570, width - 240, boxHeight);
    Label2.move(120, 7065, 855, 255);
    Label1.move(1000, 7065, width - 1120, 255);
}

void ScopeForm1::showPortState()
{
    Form1::showPortState();
    const bool open = MSComm1.portOpen();
    MSendText.setEnabled(open);
    Command6.setEnabled(open);
}

void ScopeForm1::portClosedByToggle()
{
    Timer3.setEnabled(false);
    setCaption("Hoistwise Car");
}

} // namespace carterm
