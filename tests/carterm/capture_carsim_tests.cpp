// carscope polling the real carsim with the recorder on, then what the capture gives back:
// scriptreplay's received and sent streams, the session log untouched, cartrace's CSV, and the
// capture replayed into a second car window with seeks back and forth.
#include "carscope/ScopeForm1.h"
#include "carterm/ReplayBar.h"
#include "serial/capture/CaptureReader.h"
#include "sim/common/testing/SimulatorProcess.h"
#include "tests/support/RealTime.h"
#include "toolkit/TestPlatform.h"
#include "serial/capture/CaptureSettings.h"
#include "serial/LineEnds.h"
#include "serial/capture/ReplayBackend.h"
#include "serial/capture/SessionCapture.h"

#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

using namespace std::chrono;

namespace {

std::string fileText(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

struct CaptureWithCarsim : ::testing::Test {
    toolkit::TestPlatform platform;
    QTemporaryDir folder;

    // Pumps the window with real time until `done` holds or `limit` has passed.
    bool runUntil(const std::function<bool()>& done, milliseconds limit)
    {
        return runInRealTime(platform, done, limit);
    }
    void TearDown() override
    {
        ::unsetenv("HOISTWISE_COM1");
    }
};

// What the windows show at the end, to compare the live session with its replay.
std::vector<std::string> display(carterm::ScopeForm1& f)
{
    std::vector<std::string> shown{f.txtpos.text(), f.txtvel.text(), f.txtbbt.text(), f.Text2.text()};
    for (int r = 0; r < 4; ++r)
        for (int c = 1; c <= 2; ++c)
            shown.push_back(f.Grid2.cell(r, c));
    for (int r = 1; r <= 16; ++r)
        for (int c : {1, 3, 5, 7, 13})
            shown.push_back(f.Grid1.cell(r, c));
    return shown;
}

} // namespace

TEST_F(CaptureWithCarsim, TheCaptureGivesBackTheBytesTheDisplayAndOneCsvRowPerReply)
{
    const std::string dir = folder.path().toStdString();
    sim::SimulatorProcess carsim(CARSIM_PROGRAM, {"--seed", "7"});
    ASSERT_FALSE(carsim.ptyPath().empty());
    ::setenv("HOISTWISE_COM1", carsim.ptyPath().c_str(), 1);

    auto live = std::make_unique<carterm::ScopeForm1>();
    live->MSComm1.record({true, dir + "/captures", 500LL << 20, "carscope", "1.0"});
    live->load();
    ASSERT_TRUE(live->MSComm1.portOpen());
    platform.chooseFile(dir + "/session.log");
    live->MOpenLog.click();
    live->Command1.click();
    ASSERT_TRUE(runUntil([&] { return live->txtpos.text() == "1"; }, seconds(3)));
    // Two runs up a floor: by the second stop at the latest the BBT value changes, and the
    // faults are asked for.
    live->Command3.click();
    ASSERT_TRUE(runUntil([&] { return live->txtpos.text() == "2" && live->txtvel.text() == "  0"; }, seconds(15)));
    // A moment at rest on floor 2, well inside the rest, for the replay to seek to.
    runUntil({}, milliseconds(1500));
    const long long atRest =
        duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    const std::vector<std::string> restDisplay = display(*live);
    runUntil({}, milliseconds(1000));
    live->Command3.click();
    ASSERT_TRUE(runUntil([&] { return live->txtpos.text() == "3" && live->Grid2.cell(3, 2) != ""; }, seconds(20)));
    runUntil({}, milliseconds(2000));   // at rest: the last replies are tables only
    live->Command2.click();             // polling off; what is on its way still arrives
    runUntil({}, milliseconds(800));
    live->MCloseLog.click();
    const std::vector<std::string> liveDisplay = display(*live);
    const std::string stem = live->MSComm1.capture()->currentStem();
    EXPECT_EQ(live->Label1.caption().find("Capture"), std::string::npos);
    live.reset();   // closes the port and writes the rest of the capture
    const std::string timing = stem + ".timing";
    const std::string data = stem + ".data";
    const std::string log = fileText(dir + "/session.log");

    // scriptreplay gives back exactly what was received (its own last line feed aside), and the
    // session log still holds exactly the received text.
    std::string out = run("scriptreplay", {"--log-timing", QString::fromStdString(timing), "--log-io",
                                           QString::fromStdString(data), "--maxdelay", "0.01", "--cr-mode", "never"});
    ASSERT_FALSE(out.empty());
    out.pop_back();
    EXPECT_EQ(serial::normaliseLineEnds(out), log);
    EXPECT_GT(count(log, "> PMII"), 10);
    const std::string in = run("scriptreplay", {"--log-timing", QString::fromStdString(timing), "--log-io",
                                                QString::fromStdString(data), "--maxdelay", "0.01", "-x", "in",
                                                "--cr-mode", "never"});
    const int polls = count(in, "pmii\r");
    EXPECT_GE(polls, count(log, "> PMII"));
    EXPECT_LE(polls, count(log, "> PMII") + 1);
    EXPECT_GE(count(in, "bbt\r"), 1);
    EXPECT_GE(count(in, "flt0\r"), 1);

    // cartrace: a row per reply, per command of the operator's (the two calls of DOB) and per
    // line event; the last reply's row with what the window showed.
    run(CARTRACE_PROGRAM, {QString::fromStdString(timing), "--csv", QString::fromStdString(dir + "/out.csv")});
    std::vector<std::string> rows;
    std::istringstream csv(fileText(dir + "/out.csv"));
    for (std::string row; std::getline(csv, row);)
        rows.push_back(row);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].rfind("time_utc,elapsed_s,floor,velocity_ft_min,bbt_s,flt0_code,flt0_floor,", 0), 0u);
    const int replies = count(log, "PMI #  =") + count(log, "VEL =   ") + count(log, "BBT") + count(log, "FLT  0");
    EXPECT_GE(static_cast<int>(rows.size()) - 1, replies + 2);
    EXPECT_EQ(count(fileText(dir + "/out.csv"), ",scc2,") + count(fileText(dir + "/out.csv"), ",scc3,"), 2);
    EXPECT_NE(rows.back().find(",CLOSE,COM1,"), std::string::npos) << rows.back();
    // Before the close: floor 3, the velocity, BBT and newest fault the window ended with.
    const auto trimmed = [](std::string text) {
        text.erase(0, text.find_first_not_of(' '));
        return text;
    };
    const std::string ending = ",3," + std::to_string(std::atoi(liveDisplay[1].c_str())) + "," +
                               trimmed(liveDisplay[2]) + "," + std::to_string(std::atoi(liveDisplay[4].c_str())) + ",";
    EXPECT_NE(rows[rows.size() - 2].find(ending), std::string::npos) << rows[rows.size() - 2] << " lacks " << ending;

    // The timeline drawn without a display, as SVG and as PNG.
    run(CARTRACE_PROGRAM, {QString::fromStdString(timing), "--render", QString::fromStdString(dir + "/view.svg"),
                           "--from", "1", "--to", "6"});
    run(CARTRACE_PROGRAM, {QString::fromStdString(timing), "--render", QString::fromStdString(dir + "/view.png")});
    EXPECT_NE(fileText(dir + "/view.svg").find("Velocity ft/min"), std::string::npos);
    EXPECT_EQ(fileText(dir + "/view.png").substr(1, 3), "PNG");

    // The capture replayed as fast as possible ends with the display the live session ended with,
    // and so does every seek to the end, however the playback went back and forth before it; a
    // seek to the rest on floor 2 shows what the live window showed then.
    auto backend = std::make_unique<serial::capture::ReplayBackend>(stem);
    backend->setSpeed(serial::capture::ReplayBackend::kAsFastAsPossible);
    serial::capture::ReplayBackend& replay = *backend;
    auto replayed = std::make_unique<carterm::ScopeForm1>(std::move(backend));
    carterm::ReplayBar bar(replay);
    bar.drive(*replayed);
    const std::vector<std::string> loaded = (replayed->load(), display(*replayed));
    ASSERT_TRUE(replayed->MSComm1.portOpen());
    ASSERT_TRUE(runUntil([&] { return replay.finished(); }, seconds(20)));
    EXPECT_EQ(display(*replayed), liveDisplay);
    serial::capture::CaptureReader reader(serial::capture::capturePaths(stem));
    std::vector<serial::capture::Record> records;
    reader.readMore(records, 1);
    const long long rest = atRest - reader.startEpochMicros();
    const long long end = replay.duration();
    const std::pair<long long, const std::vector<std::string>*> seeks[] = {
        {0, &loaded}, {end, &liveDisplay}, {rest, &restDisplay}, {end / 3, nullptr}, {end, &liveDisplay},
        {end / 5, nullptr}, {rest, &restDisplay}, {end, &liveDisplay}};
    for (const auto& [to, expected] : seeks) {
        replay.seek(to);
        if (expected)
            EXPECT_EQ(display(*replayed), *expected) << "after a seek to " << to << " of " << end;
    }
    // "Next fault" walks the faults the session saw, then says on the status line there is none left.
    QPushButton* next = nullptr;
    for (auto* b : bar.findChildren<QPushButton*>())
        if (b->text() == "&Next fault")
            next = b;
    ASSERT_NE(next, nullptr);
    replay.seek(0);
    for (int n = 0; n < 10 && replayed->Label1.caption().rfind("No fault after", 0) != 0; ++n)
        next->click();
    EXPECT_EQ(replayed->Label1.caption().rfind("No fault after", 0), 0u) << replayed->Label1.caption();
    EXPECT_GT(replay.dropped(), 0);   // the greeting and the follow-up requests went nowhere
    EXPECT_TRUE(platform.boxes.empty());
}
