// cabtalk's car picture: the reply parser's findings copied into the boxes and the signal matrix,
// the SM check and the lamps.
#include "cabtalk/TalkForm1.h"

#include "carterm/reply/TalkReply.h"

namespace carterm {

void TalkForm1::Text1_Change()
{
    const reply::TalkMarkers found = reply::readTalkMarkers(Text1.text());
    if (!found.pollAnswer)
        return; // replies count only while a poll's answer is in the buffer
    Timer1.setEnabled(true);
    if (found.velocity)
        txtvel.setText(*found.velocity);
    if (found.bbt)
        txtbbt.setText(*found.bbt);
    if (found.faultBlock)
        Text5.setText(*found.faultBlock);
}

void TalkForm1::Timer1_Timer()
{
    Timer2.setEnabled(false);
    Label3.setBackColor(lamp::grey);
    const auto table = pmi::readTable(Text1.text());
    if (!table)
        return; // no table yet: try again in 250 ms
    for (const pmi::ValueColumn& col : pmi::valueColumns()) {
        if (col.column == pmi::kPositionColumn)
            checkSm(pmi::smValue(*table)); // between columns 5 and 7, as the table is read
        for (int row = 1; row <= pmi::kRows; ++row)
            if (col.hasRow(row))
                matrix.value(col.column, row).setCaption(table->value(col.column, row));
    }
    Timer3.setEnabled(true);
    Timer1.setEnabled(false);
}

// While the car moves, ask for its speed; at rest ask only until the box shows "  0".
void TalkForm1::checkSm(double sm)
{
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
