// The flight recorder on the serial control: what a session leaves in its two files, what a
// disk that cannot take them does, and the cap on the folder.
#include "serial/capture/CaptureFolder.h"
#include "serial/capture/CaptureReader.h"
#include "serial/capture/CaptureSettings.h"
#include "serial/capture/CaptureWriter.h"
#include "serial/control/CommControl.h"
#include "serial/capture/ReplayBackend.h"
#include "serial/capture/SessionCapture.h"
#include "tests/serial/EventLoop.h"
#include "tests/support/FakeSerialBackend.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sstream>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace carterm;
using namespace serial::capture;

namespace {

struct Captured : ::testing::Test {
    QTemporaryDir folder;
    FakeSerialBackend* fake = nullptr;
    std::unique_ptr<serial::control::CommControl> control;
    std::vector<std::string> stopped;

    void SetUp() override { start(folder.path().toStdString()); }
    void TearDown() override { control.reset(); }
    void start(const std::string& where, long long limit = 500LL << 20)
    {
        control.reset();
        auto backend = std::make_unique<FakeSerialBackend>();
        fake = backend.get();
        control = std::make_unique<serial::control::CommControl>(std::move(backend));
        control->record({true, where, limit, "carscope", "1.0"});
        control->onComm = [this] {
            if (control->commEvent() == serial::comEvReceive)
                control->input();
        };
        control->onCaptureStopped = [this](const std::string& text) { stopped.push_back(text); };
    }
};

} // namespace

TEST(CaptureFormat, DelaysAlwaysHaveSixDecimalsAndReadBackExactly)
{
    const std::pair<long long, const char*> cases[] = {
        {0, "0.000000"}, {5, "0.000005"}, {500000, "0.500000"}, {3600000001LL, "3600.000001"}};
    for (const auto& [micros, text] : cases) {
        EXPECT_EQ(delayText(micros), text);
        EXPECT_EQ(parseDelay(text), micros);
    }
    for (const char* bad : {"0.5", "1", "-0.000001", "0.00000x", ""})
        EXPECT_FALSE(parseDelay(bad)) << bad;
    EXPECT_EQ(parseStartTime(startTimeText(std::chrono::system_clock::time_point(std::chrono::microseconds(
                  1796808108123456LL)))),
              1796808108123456LL);
    EXPECT_EQ(isoMillis(1796808108123456LL), "2026-12-09T09:21:48.123Z");
}

// A whole session through the control: every kind of record, in order, with its bytes, names
// and headers, and the data file's first line as scriptreplay skips it.
TEST_F(Captured, TheSessionLeavesEveryRecordInOrder)
{
    ::setenv("HOISTWISE_COM1", "/dev/pts/77", 1);
    ASSERT_FALSE(control->setPortOpen(true));
    fake->feed("> PMII\r\n");
    ASSERT_FALSE(control->output("pmii\r"));
    fake->raiseEvent(serial::comEvCTS);
    ASSERT_FALSE(control->setSettings("9600,e,7,2"));
    fake->loseDevice("Input/output error");
    fake->plugBack();
    fake->feed("\bOK");
    control->setPortOpen(false);
    const std::string stem = control->capture()->currentStem();
    ::unsetenv("HOISTWISE_COM1");

    // Read while the control still lives: the close itself puts the session's end on disk.
    EXPECT_EQ(stem.substr(0, stem.rfind('-') + 1), folder.path().toStdString() + "/carscope-COM1-");
    auto reader = std::make_unique<CaptureReader>(capturePaths(stem));
    std::vector<Record> all;
    ASSERT_TRUE(reader->readMore(all)) << reader->error();
    control.reset();
    std::vector<std::string> seen;
    for (const Record& r : all)
        if (r.kind != kHeader)
            seen.push_back(std::string(1, r.kind) + " " + (r.kind == kReceived || r.kind == kSent ? reader->bytes(r)
                                                                                                  : r.name + " " + r.value));
    const std::vector<std::string> expected{
        "S OPEN COM1 /dev/pts/77 9600,n,8,1", "O > PMII\r\n", "I pmii\r", "S CTS 3", "S SETTINGS 9600,e,7,2",
        "S LOST Input/output error",          "S RECONNECT COM1 /dev/pts/77",
        "O \bOK",                             "S CLOSE COM1"};
    EXPECT_EQ(seen, expected);
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_LE(all[i - 1].time, all[i].time);
    EXPECT_EQ(reader->headers().at("PROGRAM"), "carscope");
    EXPECT_EQ(reader->headers().at("PORT"), "COM1");
    EXPECT_EQ(reader->headers().at("DEVICE"), "/dev/pts/77");
    EXPECT_EQ(reader->headers().at("SETTINGS"), "9600,n,8,1");
    EXPECT_GT(reader->startEpochMicros(), 0);
    std::string firstLine;
    std::getline(std::ifstream(capturePaths(stem).data), firstLine);
    EXPECT_EQ(firstLine.rfind("Script started on ", 0), 0u) << firstLine;
    EXPECT_TRUE(stopped.empty());
}

// Received bytes carry the time they reached the backend, however late the window reads them;
// read after something sent since, they are put with it, never before it.
TEST_F(Captured, ReceivedBytesCarryTheTimeTheyArrived)
{
    ASSERT_FALSE(control->setPortOpen(true));
    control->onComm = nullptr;
    fake->feed("early");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    control->input();
    fake->feed("late");
    ASSERT_FALSE(control->output("x"));
    control->input();
    control->setPortOpen(false);
    CaptureReader reader(capturePaths(control->capture()->currentStem()));
    std::vector<Record> all;
    ASSERT_TRUE(reader.readMore(all)) << reader.error();
    std::erase_if(all, [](const Record& r) { return r.kind != kReceived && r.kind != kSent; });
    ASSERT_EQ(all.size(), 3u);   // early, x, late
    EXPECT_LT(all[0].time, 50000);
    EXPECT_GE(all[1].time, 100000);
    EXPECT_EQ(all[2].time, all[1].time);
}

// A folder that cannot be made: one message, and the line works as before.
TEST_F(Captured, AnUnwritableFolderStopsTheCaptureWithOneMessageAndTheLineGoesOn)
{
    const std::string file = folder.path().toStdString() + "/plain-file";
    std::ofstream(file) << "x";
    start(file + "/captures");
    std::string received;
    control->onComm = [&] { received += control->input(); };
    ASSERT_FALSE(control->setPortOpen(true));
    control->setPortOpen(false);
    ASSERT_FALSE(control->setPortOpen(true));
    fake->feed("still here");
    EXPECT_FALSE(control->output("pmii\r"));
    EXPECT_EQ(received, "still here");
    EXPECT_EQ(fake->takeSent(), "pmii\r");
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0].rfind("Capture stopped: " + file + "/captures: ", 0), 0u) << stopped[0];
}

// The cap said as given and by whom it was reached; a folder swapped mid-session: the capture
// stops once, saying why in the status line and in a last record, and the line goes on.
TEST_F(Captured, TheCaptureStopsOnceSayingWhyAndTheLineGoesOn)
{
    const std::string root = folder.path().toStdString(), where = root + "/c", why = where + ": the capture folder was deleted or replaced during the session";
    std::ofstream(root + "/iobench-COM3-20261201T020000Z.data") << std::string(60000, 'x');
    const int lock = ::open((root + "/iobench-COM3-20261201T020000Z.timing").c_str(), O_RDONLY | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);   // another program writes it
    for (const auto& [at, bytes, said] : {std::tuple{root, 70000, "64K is reached by this session alone"},
                                          std::tuple{root, 6000, "64K is reached by this session together with sessions other programs are writing in"},
                                          std::tuple{where, 10, why.c_str()}}) {
        stopped.clear();
        start(at, 64 << 10);
        ASSERT_FALSE(control->setPortOpen(true));
        const std::string stem = control->capture()->currentStem();
        if (at == where)
            std::filesystem::rename(where, where + "-old"), std::filesystem::create_directory(where);
        for (int i = 0; i < 2; ++i, runFor(100), control->capture()->closed())
            EXPECT_FALSE(control->output(std::string(bytes, 'y')));
        ASSERT_EQ(stopped.size(), 1u);
        EXPECT_NE(stopped[0].find(said), std::string::npos) << stopped[0];
        std::stringstream timing;
        timing << std::ifstream(at == where ? where + "-old/" + stem.substr(where.size() + 1) + ".timing" : stem + ".timing").rdbuf();
        EXPECT_TRUE(timing.str().ends_with("S 0.000000 STOPPED " + stopped[0].substr(17) + "\n")) << timing.str();
    }
    ::close(lock);
}

// A disk that fills up: the writer stops at its first failed write, says so once and drops the
// rest.
TEST(CaptureWriterTest, AFullDiskStopsTheWriterOnceAndForAll)
{
    std::vector<std::string> failures;
    {
        CaptureWriter writer(::open("/dev/full", O_WRONLY), "T", ::open("/dev/full", O_WRONLY), "D");
        writer.onFailed = [&](const std::string& text) { failures.push_back(text); };
        writer.add("O 0.000001 3\n", "abc");
        for (int i = 0; i < 50 && !writer.failed(); ++i)
            ::usleep(20000);
        EXPECT_TRUE(writer.failed());
        writer.add("O 0.000001 3\n", "def");
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "D: No space left on device");
}

// The cap removes whole sessions of the kit's own, least recently written first, and never one
// still locked by the program writing it nor anything the kit did not name.
TEST(CaptureFolderTest, TheCapRemovesTheOldestSessionsFirstAndNothingElse)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const auto session = [&](const std::string& name, int ageSeconds, std::size_t bytes) {
        const CapturePaths paths = capturePaths(root + "/" + name);
        std::ofstream(paths.data) << std::string(bytes, 'x');
        std::ofstream(paths.timing) << "H 0.000000 PROGRAM carscope\n";
        const struct timespec when[2] = {{::time(nullptr) - ageSeconds, 0}, {::time(nullptr) - ageSeconds, 0}};
        ::utimensat(AT_FDCWD, paths.timing.c_str(), when, 0);
        return paths;
    };
    const auto oldest = session("carscope-COM1-20261201T010000Z", 300, 1000);
    const auto locked = session("iobench-COM3-20261201T020000Z", 200, 1000);
    const auto middle = session("cabtalk-COM1-20261201T030000Z-2", 100, 1000);
    const auto newest = session("carscope-COM1-20261201T040000Z", 10, 1000);
    // Not the kit's: other programs' captures, a pair renamed by hand, half a session, notes.
    std::vector<CapturePaths> foreign = {session("foo", 900, 1000), session("typescript", 900, 1000),
                                         session("carscope-COM1-old", 900, 1000)};
    std::ofstream(root + "/carscope-COM2-20261101T000000Z.timing") << "H 0.000000 PROGRAM carscope\n";
    std::ofstream(root + "/notes.txt") << std::string(5000, 'n');
    const int lock = ::open(locked.timing.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    const long long left = pruneCaptures(root, 2200, newest.stem);
    ::close(lock);
    EXPECT_FALSE(std::filesystem::exists(oldest.data));
    EXPECT_FALSE(std::filesystem::exists(oldest.timing));
    EXPECT_TRUE(std::filesystem::exists(locked.data));
    EXPECT_FALSE(std::filesystem::exists(middle.data));
    EXPECT_TRUE(std::filesystem::exists(newest.data));
    for (const CapturePaths& paths : foreign)
        EXPECT_TRUE(std::filesystem::exists(paths.data) && std::filesystem::exists(paths.timing)) << paths.stem;
    EXPECT_TRUE(std::filesystem::exists(root + "/carscope-COM2-20261101T000000Z.timing"));
    EXPECT_TRUE(std::filesystem::exists(root + "/notes.txt"));
    EXPECT_EQ(left, 2 * (1000 + 28));
}

TEST(CaptureSettingsTest, TheLimitTakesBytesOrKMG)
{
    EXPECT_EQ(serial::capture::parseCaptureLimit("1048576"), 1048576);
    EXPECT_EQ(serial::capture::parseCaptureLimit("500M"), 500LL << 20);
    EXPECT_EQ(serial::capture::parseCaptureLimit("2g"), 2LL << 30);
    for (const char* bad : {"", "M", "5X", "1.5G", "-1", "10MB"})
        EXPECT_FALSE(serial::capture::parseCaptureLimit(bad)) << bad;
}

// A capture played back at its recorded pace: each piece arrives when it was received, a
// recorded line event is raised again, a seek delivers what lies before it at once, and what
// is sent goes nowhere.
TEST(ReplayBackendTest, PiecesArriveAtTheirRecordedTimes)
{
    QTemporaryDir dir;
    const CapturePaths paths = capturePaths(dir.path().toStdString() + "/r");
    {
        std::ofstream timing(paths.timing), data(paths.data);
        timing << namedLine(kHeader, 0, "PROGRAM", "carscope") << bytesLine(kReceived, 0, 1)
               << bytesLine(kReceived, 300000, 1) << namedLine(kEvent, 100000, "BREAK", "1001")
               << bytesLine(kReceived, 200000, 1);
        data << dataHeaderLine("2026-12-09 09:00:00.000000+00:00", "test") << "abc";
    }
    auto backend = std::make_unique<serial::capture::ReplayBackend>(paths.stem);
    serial::capture::ReplayBackend& replay = *backend;
    serial::control::CommControl control(std::move(backend));
    std::string received;
    std::vector<int> events;
    control.onComm = [&] {
        events.push_back(control.commEvent());
        if (control.commEvent() == serial::comEvReceive)
            received += control.input();
    };
    ASSERT_FALSE(control.setPortOpen(true));
    EXPECT_EQ(replay.duration(), 600000);
    runUntil([&] { return !received.empty(); }, 1000);
    EXPECT_EQ(received, "a");   // "b" is 300 ms later
    EXPECT_TRUE(runUntil([&] { return received == "ab"; }, 1000));
    EXPECT_FALSE(control.output("pmii\r"));
    EXPECT_EQ(replay.dropped(), 5);
    replay.seek(550000);
    EXPECT_EQ(received, "ab");   // the event, not yet the last piece
    EXPECT_EQ(events.back(), serial::comEventBreak);
    EXPECT_TRUE(runUntil([&] { return replay.finished(); }, 1000));
    EXPECT_EQ(received, "abc");
}

// A recorded loss closes the replayed port and reports it as the loss did; the recorded
// reconnection opens it again, and what came after arrives.
TEST(ReplayBackendTest, ARecordedLossAndReconnectionHappenAgain)
{
    QTemporaryDir dir;
    const CapturePaths paths = capturePaths(dir.path().toStdString() + "/r");
    {
        std::ofstream timing(paths.timing), data(paths.data);
        timing << namedLine(kHeader, 0, "DEVICE", "/dev/ttyUSB7") << bytesLine(kReceived, 0, 1)
               << namedLine(kEvent, 100000, kLost, "Input/output error") << namedLine(kEvent, 100000, kReconnect, "COM1")
               << bytesLine(kReceived, 100000, 1);
        data << dataHeaderLine("2026-12-09 09:00:00.000000+00:00", "test") << "ab";
    }
    auto backend = std::make_unique<serial::capture::ReplayBackend>(paths.stem);
    serial::capture::ReplayBackend& replay = *backend;
    replay.setSpeed(serial::capture::ReplayBackend::kAsFastAsPossible);
    serial::control::CommControl control(std::move(backend));
    std::string received;
    std::vector<std::string> reports;
    control.onComm = [&] { received += control.input(); };
    control.onPortLost = [&](const std::string& text) { reports.push_back(control.portOpen() ? "open" : text); };
    control.onPortReconnected = [&](const std::string& text) { reports.push_back(text); };
    ASSERT_FALSE(control.setPortOpen(true));
    ASSERT_TRUE(runUntil([&] { return replay.finished(); }, 2000));
    EXPECT_EQ(received, "ab");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[0].find("(/dev/ttyUSB7): Input/output error"), std::string::npos) << reports[0];
    EXPECT_EQ(reports[1], "COM1 reconnected");
    EXPECT_TRUE(control.portOpen());
}
