// cartrace's reading of a capture: carsim's own replies decoded reply by reply however the line
// cut them, the times the command line takes, and the window's fault stepping and cursor state.
#include "cartrace/CsvExport.h"
#include "cartrace/TimeArgument.h"
#include "cartrace/TimelinePainter.h"
#include "cartrace/TraceData.h"
#include "cartrace/TimelineWidget.h"
#include "cartrace/TraceWindow.h"
#include "carterm/reply/CaptureDecoder.h"
#include "serial/capture/CaptureFormat.h"
#include "tests/support/CarsimCapture.h"
#include "tests/support/FaultCapture.h"
#include "toolkit/Bytes.h"

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

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

TEST(TimeArgumentTest, SecondsFromTheStartAClockTimeOrAUtcTime)
{
    const long long start = *serial::capture::parseStartTime("2026-12-09 09:00:00.000000+00:00");
    const long long night = *serial::capture::parseStartTime("2026-12-09 23:59:00.000000+00:00");
    const std::tuple<const char*, long long, long long> good[] = {
        {"90", start, 90000000}, {"0.5", start, 500000}, {"09:01:30", start, 90000000},
        {"9:00:01.25", start, 1250000}, {"08:59:00", start, -60000000}, {"00:00:30", night, 90000000},
        {"2026-12-09T09:01:30Z", start, 90000000}, {"2026-12-09 09:00:01.250", start, 1250000}};
    for (const auto& [text, at, micros] : good)
        EXPECT_EQ(cartrace::parseTimeArgument(text, at, 120000000), micros) << text;
    for (const char* bad : {"", "-3", "ten", "09:01", "1e3", "24:00:00", "2026-12-09T09:00:00+02:00"})
        EXPECT_FALSE(cartrace::parseTimeArgument(bad, start, 120000000)) << bad;
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
    const std::string bytes = window.bytesPanel().toPlainText().toStdString();
    EXPECT_NE(bytes.find("09:02:00.000  +120.000 s  RX "), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("  70 6d 69 69 0d 0a"), std::string::npos) << bytes;   // "pmii" CR LF
    EXPECT_NE(bytes.find("---- cursor 09:02:00.000 ----"), std::string::npos) << bytes;
    window.follow();
    EXPECT_EQ(window.statusText(), "12 replies, 0 commands, 3 faults, 180.0 s");
}

// The headers are the recording program's words: escapes and a right-to-left override in them
// reach the title escaped.
TEST(TraceWindowTest, TheTitleEscapesWhatTheHeadersHold)
{
    QTemporaryDir dir;
    CaptureScript script(dir.path().toStdString() + "/s");
    script.timing << serial::capture::namedLine(serial::capture::kHeader, 0, "DEVICE", "/dev/tty\u202eSU\033]0;x\007");
    script.bytes(serial::capture::kReceived, 1000, "x");
    script.timing.close();
    script.data.close();
    cartrace::TraceData trace;
    ASSERT_TRUE(trace.open(script.paths.timing)) << trace.error();
    const std::string title = cartrace::captureTitle(trace);
    EXPECT_NE(title.find("/dev/tty\\u202eSU\\e]0;x\\x07"), std::string::npos) << title;
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
    const std::string blank(14, ','), noSignals(reply::kSignalCount, ','), rows =
        "2026-12-09T09:03:00.000Z,180.000" + blank + "LOST,Input/output error" + noSignals + "\r\n"
        "2026-12-09T09:03:01.000Z,181.000" + blank + "RECONNECT,COM1" + noSignals + "\r\n"
        "2026-12-09T09:03:02.000Z,182.000" + blank + "STOPPED,\"disk full, \"\"so\"\"\"" + noSignals + "\r\n";
    EXPECT_EQ(csv.str().substr(csv.str().size() - rows.size()), rows);
}

namespace {

struct Outcome {
    int status;
    std::string err;
};

Outcome runCartrace(const QStringList& arguments)
{
    QProcess process;
    process.start(CARTRACE_PROGRAM, arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

// The rows of a CSV file, each cut into its fields (RFC 4180 quoting).
std::vector<std::vector<std::string>> csvRows(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (char c; in.get(c);) {
        if (c == '"' && (quoted ? in.peek() != '"' : true))
            quoted = !quoted;
        else if (c == '"')
            rows.back().back() += static_cast<char>(in.get());
        else if (c == ',' && !quoted)
            rows.back().emplace_back();
        else if (c == '\n' && !quoted)
            rows.emplace_back(1);
        else if (c != '\r' || quoted)
            rows.back().back() += c;
    }
    rows.pop_back();
    return rows;
}

// A column of the rows under the header, by name; the rows where it is empty left out.
std::vector<std::string> column(const std::vector<std::vector<std::string>>& rows, const std::string& name)
{
    const auto at = static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin());
    std::vector<std::string> values;
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (at < rows[r].size() && !rows[r][at].empty())
            values.push_back(rows[r][at]);
    return values;
}

} // namespace

// Keys typed one by one are whole commands; the live view's own requests go on the rows of the
// replies that answer them, one left unanswered on a row of its own.
TEST(CartraceCsvTest, TypedCommandsAreWholeAndRequestsSitOnTheirReplies)
{
    QTemporaryDir dir;
    const std::string stem = dir.path().toStdString() + "/s";
    {
        carsim::FaultRegisters faults{};
        faults[0] = {24, 3};
        CaptureScript capture(stem);
        capture.event(0, serial::capture::kOpen, "COM1 /dev/pts/9 1200,n,8,1")
            .bytes('I', 250000, "pmii\r").bytes('O', 5000, carsim::formatPmiReply({}))
            .typed(300000, "vel\r").bytes('O', 5000, carsim::formatVelocityReply(0))
            .typed(300000, "bbx\bt\r").bytes('O', 5000, carsim::formatBbtReply(6.66))
            .typed(300000, "flt0\r").bytes('O', 5000, carsim::formatFaultReply(faults))
            .bytes('I', 250000, "pmii\r").bytes('I', 250000, "stu\r");
    }
    ASSERT_EQ(runCartrace({QString::fromStdString(stem), "--csv", dir.filePath("out.csv")}).status, 0);
    const auto rows = csvRows(dir.filePath("out.csv").toStdString());
    EXPECT_EQ(column(rows, "command"), (std::vector<std::string>{"vel", "bbt", "flt0", "stu"}));
    EXPECT_EQ(column(rows, "request"), (std::vector<std::string>{"pmii", "pmii"}));
    ASSERT_EQ(rows.size(), 11u);   // the header, an open, four replies, four commands, one unanswered poll
    EXPECT_EQ(rows[2][std::find(rows[0].begin(), rows[0].end(), "request") - rows[0].begin()], "pmii");
    EXPECT_EQ(column(rows, "flt0_code"), std::vector<std::string>(3, "24"));
    EXPECT_EQ(column(rows, "velocity_ft_min").front(), "0");
}

// Failed attempts and a loss are rows of their own with their reasons; the car's columns stay
// empty from an outage until the car answers again.
TEST(CartraceCsvTest, FailedAttemptsAndLossesAreLineEventsWithTheirReasons)
{
    QTemporaryDir dir;
    const std::string stem = dir.path().toStdString() + "/s";
    const std::string refused = "COM1 rfc2217://127.0.0.1:4000: the connection was refused";
    {
        CaptureScript capture(stem);
        capture.event(0, serial::capture::kFailed, refused).event(1000000, serial::capture::kFailed, refused)
            .event(2000000, serial::capture::kOpen, "COM1 rfc2217://127.0.0.1:4000 9600,e,7,1")
            .bytes('O', 100000, carsimSession()).event(1000000, serial::capture::kLost, "the server closed the connection")
            .event(1000000, serial::capture::kReconnect, "COM1 rfc2217://127.0.0.1:4000")
            .bytes('O', 100000, carsimSession());
    }
    ASSERT_EQ(runCartrace({QString::fromStdString(stem), "--csv", dir.filePath("out.csv")}).status, 0);
    const auto rows = csvRows(dir.filePath("out.csv").toStdString());
    EXPECT_EQ(column(rows, "line_event"), (std::vector<std::string>{"FAILED", "FAILED", "OPEN", "LOST", "RECONNECT"}));
    EXPECT_EQ(column(rows, "line_detail")[0], refused);
    EXPECT_EQ(column(rows, "line_detail")[3], "the server closed the connection");
    // Floor 3 on the four replies of each session, not on the loss and return between them.
    EXPECT_EQ(column(rows, "floor").size(), 8u);
    EXPECT_EQ(rows[0].size(), rows.back().size());
}

// The fault entries with their whole descriptions, once each; the CSV of a three-minute session
// under a third of the 579 KB the earlier CSV (a description on every row) took; write errors
// say why.
TEST(CartraceCsvTest, FaultEntriesGoToTheirOwnFileAndTheCsvStaysSmall)
{
    QTemporaryDir dir;
    const std::string stem = dir.path().toStdString() + "/s";
    ASSERT_TRUE(writeCarsimCapture(serial::capture::capturePaths(stem), 180, "2026-12-09 09:00:00.000000+00:00"));
    ASSERT_EQ(runCartrace({QString::fromStdString(stem), "--csv", dir.filePath("out.csv"), "--faults-csv",
                        dir.filePath("faults.csv")}).status, 0);
    EXPECT_LT(QFileInfo(dir.filePath("out.csv")).size(), 578735 / 3);
    const auto faults = csvRows(dir.filePath("faults.csv").toStdString());
    ASSERT_GE(faults.size(), 2u);
    EXPECT_EQ(faults[0], (std::vector<std::string>{"time_utc", "elapsed_s", "register", "code", "floor", "description"}));
    const std::string description = faults[1][5];
    EXPECT_EQ(description, toolkit::toQt(cartrace::faultDescription(std::stoi(faults[1][3]))).simplified().toStdString());
    EXPECT_EQ(description.find("  "), std::string::npos);

    for (const auto& [path, why] : {std::pair{"/dev/full", "No space left on device"},
                                    {"/nonexistent/out.csv", "No such file or directory"}}) {
        const Outcome o = runCartrace({QString::fromStdString(stem), "--csv", path});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "cartrace: " + std::string(path) + ": cannot be written: " + why + "\n");
    }
}

// --from and --to in each form against the fault capture (09:00:00 to 09:03:00 UTC): the rows
// they keep, or the error with its exit status.
TEST(CartraceCsvTest, FromAndToTakeSecondsClockTimesAndUtcTimes)
{
    QTemporaryDir dir;
    const serial::capture::CapturePaths paths = writeFaultCapture(dir.path().toStdString() + "/s");
    const std::string span = "the capture, which runs from 09:00:00 to 09:03:00 UTC on 2026-12-09 (0 to 180.0 s)";
    struct Case {
        const char* from;
        const char* to;
        int status;
        std::string firstAndLastOrError;
    };
    const Case cases[] = {
        {"60", "120", 0, "60.000 120.000"},
        {"09:01:00", "09:02:00.000", 0, "60.000 120.000"},
        {"2026-12-09T09:01:00Z", "2026-12-09 09:02:00", 0, "60.000 120.000"},
        {"08:00:00", "61", 0, "60.000 60.000"},
        {"500", "", 2, "cartrace: --from 500 is after the end of " + span},
        {"", "08:59:59", 2, "cartrace: --to 08:59:59 is before the start of " + span},
        {"120", "60", 2, "cartrace: --to must be later than --from"},
        {"ten", "", 2, "cartrace: --from \"ten\" is not a time"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to);
        QStringList arguments{QString::fromStdString(paths.timing), "--csv", dir.filePath("out.csv")};
        if (*c.from)
            arguments << "--from" << c.from;
        if (*c.to)
            arguments << "--to" << c.to;
        const Outcome o = runCartrace(arguments);
        EXPECT_EQ(o.status, c.status);
        if (c.status != 0) {
            EXPECT_EQ(o.err.rfind(c.firstAndLastOrError, 0), 0u) << o.err;
            continue;
        }
        const auto elapsed = column(csvRows(dir.filePath("out.csv").toStdString()), "elapsed_s");
        ASSERT_FALSE(elapsed.empty());
        EXPECT_EQ(elapsed.front() + " " + elapsed.back(), c.firstAndLastOrError);
    }
}
