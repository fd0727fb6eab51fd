// What the decoder window does: load, model choice, flag decoding and the two lookups.
#include "runecast/runecast.h"

#include "toolkit/Bytes.h"
#include "runecast/FaultTable.h"
#include "runecast/ModeTable.h"
#include "toolkit/Platform.h"
#include "runecast/TypedFaultNumber.h"

namespace runecast {

void writeLabels(toolkit::Grid& grid, const GridLabels& labels)
{
    grid.setCol(0);
    for (int row = 0; row < 8; ++row) {
        grid.setRow(row);
        grid.setText(labels[static_cast<size_t>(row)]);
    }
}

void runecast::Form_Load()
{
    setCaption(" Futura Runecast");
    VScroll1.setValue(1); // a change from 0: the window opens on fault 1
    writeLabels(MSFlexGrid1, kFuturaDzLabels);
    writeLabels(MSFlexGrid2, kCsLabels);
    writeLabels(MSFlexGrid3, kDsLabels);
}

// The decoder window is the program: closing it ends it, with nothing to save.
void runecast::Form_Unload(int&) { toolkit::platform().endProgram(); }

// The model only names the DZ bits and titles the window; decoded bytes stay as they are.
void runecast::Option1_Click()
{
    writeLabels(MSFlexGrid1, kFuturaDzLabels);
    setCaption(" Futura Runecast");
}

void runecast::Option2_Click()
{
    writeLabels(MSFlexGrid1, kMeridiaDzLabels);
    setCaption("Meridia Runecast");
}

void runecast::Text2_Change() { decode(FlagBank::DZ, Text2, dzIndicators); }

void runecast::Text10_Change() { decode(FlagBank::CS, Text10, csIndicators); }

void runecast::Text21_Change() { decode(FlagBank::DS, Text21, dsIndicators); }

// Every indicator is set on every decode; a text the bank does not accept darkens the bank.
void runecast::decode(FlagBank bank, const toolkit::TextBox& byteBox, Indicators& indicators)
{
    const auto byte = acceptedByte(bank, byteBox.text());
    const unsigned value = byte ? *byte : 0u;
    for (int row = 0; row < 8; ++row) {
        const int bit = 7 - row;
        indicators[static_cast<size_t>(row)]->setVisible(((value >> bit) & 1u) != 0);
    }
}

void runecast::Text19_Change() { Text20.setText(modeName(Text19.text())); }

void runecast::Text30_Change()
{
    if (const FaultEntry* entry = lookupFault(Text30.text())) {
        Text31.setText(entry->description);
        Text32.setVisible(applyNoteAction(entry->text32, Text32.visible()));
        Text33.setVisible(applyNoteAction(entry->text33, Text33.visible()));
    } else {
        Text31.setText("");
        Text32.setVisible(false);
        Text33.setVisible(false);
    }
}

void runecast::Text30_KeyUp(int, int)
{
    VScroll1.setValue(stepperPositionFor(Text30.text(), VScroll1.min(), VScroll1.max()));
}

// Setting the position inside this handler runs it again, nested: the nested run writes the
// pulled-in number and looks it up before this run reads the position again.
void runecast::VScroll1_Change()
{
    Text30.setText(toolkit::decimal(VScroll1.value()));
    if (VScroll1.value() < 1)
        VScroll1.setValue(1);
    if (VScroll1.value() > kFaultCount)
        VScroll1.setValue(kFaultCount);
}

} // namespace runecast
