// The reply parser, the matrix display and the lamps of cabtalk's car window.
#include "TalkForm1.h"

#include "Bytes.h"
#include "PmiTable.h"

namespace carterm {

using namespace toolkit;

void TalkForm1::Text1_Change()
{
    const std::string buffer = Text1.text();
    if (instr(buffer, pmi::kReplyMarker) == 0)
        return; // replies count only while a poll's answer is in the buffer
    Timer1.setEnabled(true);
    if (const long m = instr(buffer, "VEL =   "))
        txtvel.setText(mid(buffer, m + 8, 3));
    if (const long m = instr(buffer, "BBT"))
        txtbbt.setText(mid(buffer, m + 8, 5));
    if (const long m = instr(buffer, "FLT0"))
        Text5.setText(mid(buffer, m + 8, 76));
}

void TalkForm1::Timer1_Timer()
{
    Timer2.setEnabled(false);
    Label3.setBackColor(lamp::grey);
    const std::string buffer = Text1.text();
    const long p = instr(buffer, pmi::kHeader);
    if (p == 0)
        return; // no table yet: try again in 250 ms
    for (const pmi::ValueColumn& col : pmi::valueColumns()) {
        if (col.column == 7)
            checkSm(); // between columns 5 and 7, as the table is read
        for (int row = 1; row <= pmi::kRows; ++row)
            if (col.hasRow(row))
                matrix.value(col.column, row).setCaption(pmi::cellText(buffer, p, col.tableLine, row));
    }
    Timer3.setEnabled(true);
    Timer1.setEnabled(false);
}

// While the car moves, ask for its speed; at rest ask only until the box shows "  0".
void TalkForm1::checkSm()
{
    const double sm = leadingNumber(matrix.value(pmi::kSmColumn, pmi::kSmRow).caption());
    if (sm == 0 && txtvel.text() != "  0")
        send("vel\r");
    if (sm == 1)
        send("vel\r");
}

void TalkForm1::Timer4_Timer()
{
    if (Label4.backColor() != lamp::grey) {
        Label4.setBackColor(lamp::grey);
        if (Text3.visible())
            Timer5.setEnabled(true); // live mode: watch for the controller falling silent
    }
    if (Label5.backColor() != lamp::grey)
        Label5.setBackColor(lamp::grey);
    Timer4.setEnabled(false);
}

void TalkForm1::Timer5_Timer()
{
    if (!MSComm1.portOpen())
        return;
    send("pmii\r");
    showTransmitting();
    Timer5.setEnabled(false);
    Timer1.setEnabled(true);
}

void TalkForm1::txtbbt_Change()
{
    Timer5.setEnabled(false);
    send("flt0\r");
}

void TalkForm1::txtpos_Change() { Timer5.setEnabled(false); }

} // namespace carterm
