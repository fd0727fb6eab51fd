#include "cabtalk/TalkForm1.h"

#include "cabtalk/TalkConfigScrn.h"

#include <QWidget>

namespace carterm {

using namespace toolkit;

TalkForm1::TalkForm1(std::unique_ptr<serial::SerialBackend> serialBackend)
    : Form1(std::move(serialBackend), true),
      matrix(*this),
      Text5(*this, "Text5", TextBox::Kind::MultiLine),
      Picture1(*this, "Picture1"),
      Label3(*this, "Label3"),
      Label4(*this, "Label4"),
      Label5(*this, "Label5"),
      Timer4("Timer4", 1, true),
      Timer5("Timer5", 1000)
{
    Text4.setText("5");
    Picture1.setVisible(false);
    for (Label* l : {&Label3, &Label4, &Label5}) {
        l->setBackColor(lamp::grey);
        l->setBorder(true);
    }
    Label3.widget()->setToolTip("Live polling");
    Label4.widget()->setToolTip("Receiving");
    Label5.widget()->setToolTip("Transmitting");

    Picture1.onClick = [this] { Picture1_Click(); };
    Text4.onKeyUp = [this](int key, int shift) { Text4_KeyUp(key, shift); };
    Timer4.onTimer = [this] { Timer4_Timer(); };
    Timer5.onTimer = [this] { Timer5_Timer(); };
    MRplayLog->onClick = [this] { MRplayLog_Click(); };
    buildTalkLayout();
    toolkit::describeControls(*this, kTalkForm1Descriptions);
}

TalkForm1::~TalkForm1() = default;

// The matrix stands at the left, the terminal to its right; the buttons and boxes below both.
void TalkForm1::buildTalkLayout()
{
    setClientSize(12000, 7080);
    Term.move(5400, 120, 6480, 4095);
    Text1.move(5400, 120, 6480, 4095);
    Picture1.move(5400, 120, 3240, 4095);

    Command1.move(120, 4440, 975, 375);
    Command3.move(1200, 4440, 975, 375);
    Command6.move(2280, 4440, 975, 375);
    Text4.move(3360, 4440, 615, 375);
    txtbbt.move(4200, 4440, 855, 375);
    txtpos.move(5160, 4440, 615, 375);
    txtvel.move(5880, 4440, 735, 375);
    Command4.move(6840, 4440, 975, 375);
    Command5.move(6840, 4920, 975, 375);
    Command2.move(7920, 4440, 975, 375);
    Text2.move(7920, 4920, 975, 375);
    Label3.move(9240, 4440, 375, 375);
    Label4.move(9720, 4440, 375, 375);
    Label5.move(10200, 4440, 375, 375);

    Text5.move(120, 4920, 3135, 1455);
    Text3.move(120, 6480, 11760, 375);
    Label2.move(3480, 6000, 855, 255);
    Label1.move(4360, 6000, 7520, 255);
}

void TalkForm1::beforeReceive()
{
    Label4.setBackColor(lamp::receiveRed);
    Timer4.setEnabled(true);
    Timer5.setEnabled(false);
}

void TalkForm1::keySent() { showTransmitting(); }

void TalkForm1::commandSent() { showTransmitting(); }

TalkConfigScrn* TalkForm1::openSettingsDialog() const
{
    return settingsDialog && settingsDialog->isShown() ? static_cast<TalkConfigScrn*>(settingsDialog.get()) : nullptr;
}

// Each showing loads the dialog afresh from the serial control; one already up is brought
// forward with the edits kept.
void TalkForm1::openSettings()
{
    if (TalkConfigScrn* open = openSettingsDialog()) {
        open->show();
        return;
    }
    settingsDialog = std::make_unique<TalkConfigScrn>(*this);
    settingsDialog->show();
}

} // namespace carterm
