#include "ScopeForm1.h"

namespace carterm {

ScopeForm1::ScopeForm1(std::unique_ptr<SerialBackend> serialBackend)
    : Form1(std::move(serialBackend)), Grid1(*this, "Grid1", 17, 18), Grid2(*this, "Grid2", 4, 3)
{
    Grid1.setVisible(false);
    Grid1.move(0, 0, 9600, 3600);
    Grid2.move(4200, 4200, 2415, 1000);
    txtbbt.setText("11.31");
    Grid1.onRowColChange = [this] { Grid1_RowColChange(); };
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
