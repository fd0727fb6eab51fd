// Text-file transmission: the file dialog, exact chunks, the drain wait, Cancel, the progress
// window and what happens when the port goes away.
#include "tests/carterm/CarWindowHarness.h"
#include "carterm/ConfigScrn.h"
#include "carterm/Form2.h"
#include "tests/carterm/log_test_files.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <numeric>
#include <vector>

using namespace toolkit;

namespace {
struct Transmit : WindowTest<CarWindowHarness> {
    ScratchFolder scratch;
    std::vector<size_t> chunks; // what went out, one entry per wait pass that saw new bytes
    std::string all;

    void SetUp() override
    {
        WindowTest::SetUp();
        h.platform.onDoEvents = [this] { collect(); };
    }
    void collect()
    {
        const std::string s = h.line->takeSent();
        if (!s.empty()) {
            chunks.push_back(s.size());
            all += s;
        }
    }
    void transmit(const std::string& path)
    {
        h.platform.chooseFile(path);
        f.MSendText.click();
        collect();
    }
};
} // namespace

TEST_F(Transmit, AFileGoesOutInChunksOfTheTransmitBufferWithNothingAdded)
{
    const std::string bytes = patternBytes(1000);
    transmit(scratch.write("a.txt", bytes));
    ASSERT_EQ(h.platform.fileRequests.size(), 1u);
    EXPECT_EQ(h.platform.fileRequests[0].title, "Send Text File");
    EXPECT_EQ(h.platform.fileRequests[0].filter, "Text Files (*.TXT)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(chunks, (std::vector<size_t>{512, 488}));
    EXPECT_EQ(all, bytes);
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_TRUE(f.cancelSend);
    ASSERT_TRUE(f.progress);
    EXPECT_FALSE(f.progress->isShown());
    EXPECT_EQ(f.progress->Label1.caption(), "Transmitting Text File - " + scratch.path("a.txt"));
}

TEST_F(Transmit, ExactMultiplesAndEmptyFilesSendOnlyTheirBytes)
{
    transmit(scratch.write("512.txt", std::string(512, 'x')));
    EXPECT_EQ(chunks, (std::vector<size_t>{512}));
    chunks.clear();
    transmit(scratch.write("empty.txt", ""));
    EXPECT_TRUE(chunks.empty());
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(f.MSendText.enabled());

    // The chunk follows the transmit buffer's size.
    f.MSComm1.setOutBufferSize(100);
    chunks.clear();
    transmit(scratch.write("250.txt", std::string(250, 'y')));
    EXPECT_EQ(chunks, (std::vector<size_t>{100, 100, 50}));
}

TEST_F(Transmit, TheNextChunkWaitsForTheLineToDrainWhileEventsRun)
{
    h.line->setWaitingToSend(40);
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        if (++passes == 10)
            h.line->feed("echo\r");
        if (passes == 30)
            h.line->setWaitingToSend(0);
    };
    int ticks = 0;
    f.Timer1.onTimer = [&] { ++ticks; };
    f.Timer1.setInterval(50);
    f.Timer1.setEnabled(true);
    transmit(scratch.write("b.txt", std::string(600, 'b')));
    EXPECT_EQ(chunks, (std::vector<size_t>{512, 88}));
    EXPECT_GE(passes, 30);
    EXPECT_GE(ticks, 5); // 30 passes of 10 ms
    EXPECT_EQ(f.Term.text(), "echo\r\n");
}

TEST_F(Transmit, CancellingTheDialogOrAMissingFile)
{
    h.platform.chooseFile(std::nullopt);
    f.MSendText.click();
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_TRUE(h.platform.boxes.empty());

    const std::string missing = scratch.path("nothere.txt");
    h.platform.chooseFile(missing);
    h.platform.chooseFile(std::nullopt);
    f.MSendText.click();
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_EQ(h.platform.boxes[0].text, missing + " not found!");
    EXPECT_EQ(h.platform.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(h.platform.fileRequests.size(), 3u); // asked again after the warning
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_EQ(h.sent(), "");

    // A folder or a device cannot be sent; the command says so and the item comes back.
    transmit(scratch.dir.string());
    EXPECT_NE(h.platform.boxes.back().text.find("is not a file"), std::string::npos);
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_TRUE(all.empty());
}

TEST_F(Transmit, CancelInTheProgressWindowStopsAfterTheCurrentChunk)
{
    h.line->setWaitingToSend(512); // the line never drains by itself
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        EXPECT_TRUE(f.progress->isShown());
        EXPECT_FALSE(f.MSendText.enabled()); // no second transmission meanwhile
        if (++passes == 5)
            f.progress->Command1.click();
    };
    transmit(scratch.write("c.txt", std::string(5000, 'c')));
    EXPECT_EQ(chunks, (std::vector<size_t>{512}));
    EXPECT_TRUE(h.platform.boxes.empty());
    EXPECT_TRUE(f.MSendText.enabled());
    EXPECT_FALSE(f.progress->isShown());
    EXPECT_TRUE(f.cancelSend);
}

TEST_F(Transmit, EscapeAndClosingTheProgressWindowAreCancel)
{
    h.line->setWaitingToSend(512);
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        if (++passes == 3) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(f.progress->Command1.widget(), &escape);
        }
    };
    transmit(scratch.write("d.txt", std::string(2000, 'd')));
    EXPECT_EQ(chunks, (std::vector<size_t>{512}));
    EXPECT_EQ(f.progress->caption(), "MSComm Terminal");
    EXPECT_EQ(f.progress->Command1.caption(), "Cancel");

    chunks.clear();
    passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        if (++passes == 3) {
            EXPECT_FALSE(f.progress->unload()); // the window stays until the transmission ends
        }
    };
    transmit(scratch.path("d.txt"));
    EXPECT_EQ(chunks, (std::vector<size_t>{512}));
    EXPECT_FALSE(f.progress->isShown());
}

TEST_F(Transmit, TheProgressWindowComesBackToTheFrontWhileSending)
{
    h.line->setWaitingToSend(512);
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        ++passes;
        if (passes == 2) {
            f.progress->Form_Activate();
            EXPECT_TRUE(f.progress->frame()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            f.progress->hide(); // as if another window had covered it
            f.progress->Form_Deactivate();
            EXPECT_FALSE(f.progress->isShown()); // a hidden window does not deactivate
            f.progress->show();
            f.progress->Form_Deactivate();
            EXPECT_TRUE(f.progress->isShown());
        }
        if (passes == 3)
            f.progress->Command1.click();
    };
    transmit(scratch.write("e.txt", std::string(2000, 'e')));
    // Idle again: deactivating changes nothing.
    f.progress->Form_Deactivate();
    EXPECT_FALSE(f.progress->isShown());
}

TEST_F(Transmit, LosingThePortMidwayStopsWithAWarningAndNeverHangs)
{
    // Also when the device is back before the wait ends: what the loss threw away is missing,
    // so the file must not go on as if whole.
    for (const bool backAtOnce : {false, true}) {
        SCOPED_TRACE(backAtOnce ? "plugged back at once" : "stays away");
        h.platform.boxes.clear();
        chunks.clear();
        if (!f.MSComm1.portOpen())
            f.MOpen.click();
        h.line->setWaitingToSend(512); // would wait for ever on an open port
        int passes = 0;
        h.platform.onDoEvents = [&] {
            collect();
            if (++passes == 4) {
                h.line->loseDevice("Input/output error");
                if (backAtOnce) {
                    h.line->plugBack();
                    h.line->setWaitingToSend(0); // the reopened line is empty
                }
            }
        };
        transmit(scratch.write("f.txt", std::string(3000, 'f')));
        EXPECT_EQ(chunks, (std::vector<size_t>{512}));
        ASSERT_EQ(h.platform.boxes.size(), 2u); // the loss, then the transmission's own report
        // The chunk still waited when the device went: none of the file went out.
        EXPECT_NE(h.platform.boxes[1].text.find("COM1 was lost while "), std::string::npos);
        EXPECT_NE(h.platform.boxes[1].text.find(": 0 of its 3000 bytes went out."), std::string::npos);
        EXPECT_EQ(f.MSendText.enabled(), backAtOnce); // enabled only on an open port
        EXPECT_FALSE(f.progress->isShown());
        EXPECT_LT(passes, 20);
    }
}

TEST_F(Transmit, ClosingThePortWithTheMenuMidwayStops)
{
    h.line->setWaitingToSend(512);
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        if (++passes == 2)
            f.MOpen.click();
    };
    transmit(scratch.write("g.txt", std::string(3000, 'g')));
    EXPECT_EQ(all.size(), 512u);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("was closed"), std::string::npos);
    EXPECT_FALSE(f.MSendText.enabled());
}

TEST_F(Transmit, ASettingsChangeMidwayStopsTheTransmissionInsteadOfLosingAChunk)
{
    h.line->setWaitingToSend(512);
    int passes = 0;
    h.platform.onDoEvents = [&] {
        collect();
        if (++passes == 2) {
            f.MSettings.click();
            static_cast<carterm::ConfigScrn&>(*f.settingsDialog).OKButton.click();
        }
    };
    transmit(scratch.write("h.txt", std::string(3000, 'h')));
    EXPECT_EQ(all.size(), 512u);
    ASSERT_EQ(h.platform.boxes.size(), 1u);
    EXPECT_NE(h.platform.boxes[0].text.find("512 of 3000 bytes"), std::string::npos);
    EXPECT_TRUE(f.MSComm1.portOpen()); // the dialog reopened it
    EXPECT_TRUE(f.MSendText.enabled());
}

TEST_F(Transmit, SendingTheOpenLogItselfEndsWithTheFileAsItWasAtTheStart)
{
    const std::string path = scratch.write("loop.log", std::string(1500, 'l'));
    h.platform.answer(MsgResult::No);
    h.platform.chooseFile(path);
    f.MOpenLog.click();
    ASSERT_NE(f.logFileNumber, 0);
    // The controller echoes every chunk, so the log grows as fast as it is sent.
    h.platform.onDoEvents = [&] {
        const std::string s = h.line->takeSent();
        if (!s.empty()) {
            chunks.push_back(s.size());
            all += s;
            h.line->feed(s);
        }
    };
    transmit(path);
    EXPECT_EQ(chunks, (std::vector<size_t>{512, 512, 476}));
    EXPECT_EQ(all, std::string(1500, 'l'));
    EXPECT_EQ(readFile(path).size(), 3000u);
}

TEST_F(Transmit, TheItemIsDisabledWhileThePortIsClosed)
{
    f.MOpen.click();
    EXPECT_FALSE(f.MSendText.enabled());
    h.platform.chooseFile(scratch.write("i.txt", "x"));
    f.MSendText.click(); // a disabled item does nothing
    EXPECT_TRUE(h.platform.fileRequests.empty());
}
