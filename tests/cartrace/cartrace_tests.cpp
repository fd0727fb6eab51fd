// cartrace's reading of a capture: carsim's own replies decoded reply by reply however the line
// cut them, the times the command line takes, and the window's fault stepping and cursor state.
#include "cartrace/CsvExport.h"
#include "cartrace/TimeArgument.h"
#include "cartrace/TraceData.h"
#include "cartrace/TimelineWidget.h"
#include "cartrace/TraceWindow.h"
#include "carterm/reply/CaptureDecoder.h"
#include "serial/capture/CaptureFormat.h"
#include "tests/support/FaultCapture.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace carterm;

namespace {

std::vector<reply::CarState> decode(const std::string& stream, std::size_t piece)
{
    reply::CaptureDecoder decoder;
    std::vector<reply::CarState> states;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        decoder.receive(static_cast<long long>(at), std::string_view(stream).substr(at, piece), states);
    return states;
}

std::size_t signalIndex(std::string_view name)
{
    for (std::size_t i = 0; i < reply::kSignalCount; ++i)
        if (reply::plainSignalName(reply::kSignalNames[i]) == name)
            return i;
    return reply::kSignalCount;
}

} // namespace

TEST(CaptureDecoderTest, EveryReplyIsOneStateWhateverPiecesTheLineCutItInto)
{
    const std::string stream = carsimSession();
    for (std::size_t piece : {stream.size(), std::size_t{1}, std::size_t{7}, std::size_t{64}}) {
        SCOPED_TRACE(piece);
        const auto states = decode(stream, piece);
        ASSERT_EQ(states.size(), 4u);
        EXPECT_EQ(states[0].kind, reply::ReplyKind::Table);
        EXPECT_EQ(states[1].kind, reply::ReplyKind::Velocity);
        EXPECT_EQ(states[2].kind, reply::ReplyKind::Bbt);
        EXPECT_EQ(states[3].kind, reply::ReplyKind::Fault);
        const reply::CarState& last = states.back();
        EXPECT_EQ(last.floor, 3);
        EXPECT_EQ(last.velocity, 0);
        EXPECT_STREQ(last.bbt, " 6.66");
        EXPECT_EQ(last.faultCode, 24);
        EXPECT_EQ(last.faultFloor, 3);
        EXPECT_TRUE(last.newFault);
        EXPECT_EQ(last.signalBits.count(), 4u);   // POP, R1, R2, DOL
        EXPECT_TRUE(last.signalBits[signalIndex("DOL")]);
        EXPECT_TRUE(last.signalBits[signalIndex("POP")]);
        // Each state is timed by the piece that completed its reply.
        EXPECT_LE(states[0].time, static_cast<long long>(stream.find("VEL")));
    }
    // The same fault again is no new fault.
    const auto twice = decode(carsimSession() + carsimSession(), 64);
    ASSERT_EQ(twice.size(), 8u);
    EXPECT_FALSE(twice.back().newFault);
}

TEST(TimeArgumentTest, SecondsFromTheStartOrAUtcTime)
{
    const long long start = *serial::capture::parseStartTime("2026-12-09 09:00:00.000000+00:00");
    const std::pair<const char*, long long> good[] = {
        {"90", 90000000}, {"0.5", 500000}, {"2026-12-09T09:01:30Z", 90000000}, {"2026-12-09 09:00:01.250", 1250000}};
    for (const auto& [text, micros] : good)
        EXPECT_EQ(cartrace::parseTimeArgument(text, start), micros) << text;
    for (const char* bad : {"", "-3", "ten", "09:01"})
        EXPECT_FALSE(cartrace::parseTimeArgument(bad, start)) << bad;
}

// The window on a capture of that session repeated a minute apart with a new fault each time:
// next and previous fault put the cursor on them, and the panel shows the state there.
TEST(TraceWindowTest, NextAndPreviousFaultMoveTheCursorAndThePanelShowsTheState)
{
    QTemporaryDir dir;
    const serial::capture::CapturePaths paths = writeFaultCapture(dir.path().toStdString() + "/s");

    auto trace = std::make_unique<cartrace::TraceData>();
    ASSERT_TRUE(trace->open(paths.timing)) << trace->error();
    ASSERT_EQ(trace->faults().size(), 3u);
    EXPECT_EQ(trace->faults()[1].code, 30);
    cartrace::TraceWindow window(std::move(trace));
    window.nextFault(1);
    EXPECT_EQ(window.timeline().view().cursor, 60000000);
    window.nextFault(1);
    window.nextFault(1);
    EXPECT_EQ(window.timeline().view().cursor, 180000000);
    window.nextFault(-1);
    EXPECT_EQ(window.timeline().view().cursor, 120000000);
    const std::string panel = window.statePanel().toPlainText().toStdString();
    EXPECT_NE(panel.find("Floor 3   Velocity 0   BBT 6.66"), std::string::npos) << panel;
    EXPECT_NE(panel.find("Fault 30 at floor 3: "), std::string::npos) << panel;
    EXPECT_NE(panel.find("DOL      1"), std::string::npos) << panel;
}

// The line's losses and returns and the recorder's own stop are rows of the CSV at their times.
TEST(CsvExportTest, LossReturnAndCaptureStopAreRowsAmongTheReplies)
{
    QTemporaryDir dir;
    const serial::capture::CapturePaths paths = writeFaultCapture(dir.path().toStdString() + "/s");
    std::ofstream(paths.timing, std::ios::app) << "S 0.000000 LOST Input/output error\nS 1.000000 RECONNECT COM1\nS 1.000000 STOPPED disk full, \"so\"\n";
    cartrace::TraceData trace;
    ASSERT_TRUE(trace.open(paths.timing)) << trace.error();
    std::ostringstream csv;
    cartrace::writeCsv(trace, csv);
    const std::string blank(5 + reply::kSignalCount, ','), rows = "2026-12-09T09:03:00.000Z,180.000," + blank + "LOST Input/output error\r\n"
        "2026-12-09T09:03:01.000Z,181.000," + blank + "RECONNECT COM1\r\n2026-12-09T09:03:02.000Z,182.000," + blank + "\"STOPPED disk full, \"\"so\"\"\"\r\n";
    EXPECT_EQ(csv.str().substr(csv.str().size() - rows.size()), rows);
}
