// carwatch as a site runs it: a real mosquitto, carsim cars with traffic on pseudo-terminals,
// carwatch as its own process, and mosquitto_sub reading what it publishes.
#include "carterm/reply/CaptureDecoder.h"
#include "carwatch/CarReading.h"
#include "serial/capture/CaptureWalk.h"
#include "tests/support/MosquittoProcess.h"
#include "tests/support/TestCertificates.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Messages = std::vector<Subscriber::Message>;
namespace fs = std::filesystem;

std::string host()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

QJsonObject json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

// The last message on `topic` is `payload`, or (for a state) has that link.
std::function<bool(const Messages&)> lastIs(const std::string& topic, const std::string& value)
{
    return [=](const Messages& all) {
        for (auto m = all.rbegin(); m != all.rend(); ++m)
            if (m->topic == topic)
                return m->payload == value || json(m->payload)["link"].toString().toStdString() == value;
        return false;
    };
}

// The fault codes in the order first received. QoS 1 is at least once: a broker restarted with a
// persistent session may hand a reader a message again, byte for byte (the same read time); a
// fault read again by carwatch has a time of its own.
std::vector<int> codes(const Messages& faults)
{
    std::vector<int> out;
    std::set<std::string> seen;
    for (const auto& m : faults)
        if (seen.insert(m.payload).second)
            out.push_back(json(m.payload)["code"].toInt());
    return out;
}

class Site : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/carwatch-test-XXXXXX";
        dir = ::mkdtemp(name);
        std::ofstream(dir + "/empty.conf");
        broker = std::make_unique<MosquittoProcess>(dir, tls);
        ASSERT_TRUE(broker->start());
    }
    void TearDown() override
    {
        watcher.reset();
        cars.clear();
        broker.reset();
        fs::remove_all(dir);
    }
    std::unique_ptr<sim::SimulatorProcess> car(int n)
    {
        auto p = std::make_unique<sim::SimulatorProcess>(
            CARSIM_PROGRAM,
            std::vector<std::string>{"--link", dir + "/car" + std::to_string(n), "--traffic", "60", "--fault-chance", "1",
                                     "--seed", std::to_string(n)},
            sim::SimulatorProcess::discardErrors());
        p->ptyPath();
        return p;
    }
    void startWatcher(int carCount, std::vector<std::string> args = {})
    {
        for (int n = 1; n <= carCount; ++n)
            if (cars.size() < static_cast<std::size_t>(n))
                cars.push_back(car(n));
        if (args.empty())
            args = {"--broker", broker->url()};
        args.insert(args.end(), {"--site", "t", "--config", dir + "/empty.conf"});
        for (int n = 1; n <= carCount; ++n)
            args.insert(args.end(), {"--car", "car" + std::to_string(n) + "=" + dir + "/car" + std::to_string(n)});
        ::setenv("STATE_DIRECTORY", (dir + "/state").c_str(), 1);
        watcher = std::make_unique<sim::SimulatorProcess>(CARWATCH_PROGRAM, args,
                                                          sim::SimulatorProcess::errorsToFile(dir + "/carwatch.log"));
    }
    std::string log() const
    {
        std::stringstream text;
        text << std::ifstream(dir + "/carwatch.log").rdbuf();
        return text.str();
    }
    std::vector<fs::path> captures(const std::string& carName) const
    {
        std::vector<fs::path> out;
        for (const auto& f : fs::directory_iterator(dir + "/state/captures"))
            if (f.path().extension() == ".timing" && f.path().filename().string().starts_with("carwatch-" + carName + "-"))
                out.push_back(f.path());
        std::sort(out.begin(), out.end(), [](const fs::path& a, const fs::path& b) {
            return fs::last_write_time(a) < fs::last_write_time(b);
        });
        return out;
    }
    // The new fault-log entries the capture decoding that cartrace uses finds in the car's
    // captures, in order; each capture's first fault reply is the log as found.
    std::vector<int> capturedFaults(const std::string& carName, std::set<std::string>* sent = nullptr) const
    {
        std::vector<int> out;
        for (const fs::path& capture : captures(carName)) {
            serial::capture::CaptureWalk walk;
            if (!walk.open(capture.string()))
                continue;
            carterm::reply::CaptureDecoder decoder;
            std::vector<carterm::reply::CarState> states;
            std::string sentBytes;
            walk.walk([&](const serial::capture::Record& r) {
                if (r.kind == serial::capture::kReceived)
                    decoder.receive(r.time, walk.reader().bytes(r), states);
                else if (r.kind == serial::capture::kSent)
                    sentBytes += walk.reader().bytes(r);
            });
            bool first = true;
            for (const auto& s : states)
                if (s.kind == carterm::reply::ReplyKind::Fault) {
                    if (s.newFault && !first)
                        out.push_back(s.faultCode);
                    first = false;
                }
            for (std::stringstream lines(sentBytes); sent && std::getline(lines, sentBytes, '\r');)
                sent->insert(sentBytes);
        }
        return out;
    }

    std::string tls;
    std::string dir;
    std::unique_ptr<MosquittoProcess> broker;
    std::vector<std::unique_ptr<sim::SimulatorProcess>> cars;
    std::unique_ptr<sim::SimulatorProcess> watcher;
};

TEST(CarwatchCommandLine, RefusesBadInputWithWhatIsAccepted)
{
    const std::string dir = fs::temp_directory_path() / ("carwatch-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir + "/bad.conf") << "site=t\n[car lobby]\nport=/dev/ttyS0\nbaud=9600\n";
    std::ofstream(dir + "/good.conf") << "site=t\n[broker]\nurl=mqtt://h:1\n[car lobby]\nport=/dev/ttyS0\n";
    const std::string car = " --config /dev/null/none --car a=/dev/ttyS0";
    const struct {
        std::string args;
        std::string says;
    } cases[] = {
        {"--broker http://h:1 --site t" + car, "give mqtt://HOST:PORT or mqtts://HOST:PORT?ca=FILE"},
        {"--broker mqtt://h:70000 --site t" + car, "not a number from 1 to 65535"},
        {"--broker mqtt://h:1 --site a/b" + car, "letters, digits"},
        {"--broker mqtt://h:1 --site t --poll 0" + car, "seconds from 0.1 to 3600"},
        {"--broker mqtt://h:1 --site t --capture-limit 1K" + car, "the smallest is 64K"},
        {"--broker mqtt://h:1 --site t --car nameonly --config /dev/null/none", "is not NAME=PORT"},
        {"--broker mqtt://h:1 --site t --car a=/dev/null --config " + dir + "/none.conf", "none.conf"},
        {"--broker mqtt://h:1 --site t --car a=/dev/null --config " + dir + "/good.conf", "not a serial device"},
        {"--broker mqtt://h:1 --site t --car a=rfc2217://h --config " + dir + "/good.conf", "rfc2217://"},
        {"--broker mqtt://h:1 --frobnicate 1", "unknown option"},
        {"--config " + dir + "/bad.conf", "bad.conf line 4: unknown key baud; in [car NAME] the keys are port, site, settings"},
        {"--site t --config " + dir + "/empty.conf --car a=/dev/ttyS0", "no broker"},
    };
    std::ofstream(dir + "/empty.conf");
    for (const auto& c : cases) {
        const std::string command = std::string(CARWATCH_PROGRAM) + " " + c.args + " 2>&1";
        FILE* out = ::popen(command.c_str(), "r");
        std::string text(4096, '\0');
        text.resize(std::fread(text.data(), 1, text.size(), out));
        const int status = ::pclose(out);
        EXPECT_EQ(WEXITSTATUS(status), 2) << c.args;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.args << "\n" << text;
    }
    fs::remove_all(dir);
}

// One live site: the states and their fields, a fault message per new entry of the fault log,
// a hold, a car whose controller goes and comes back, the orderly end and what was recorded.
TEST_F(Site, PublishesStatesFaultsAndHoldsAndRecordsOnlyReadOnlyRequests)
{
    startWatcher(2);
    Subscriber sub(broker->port(), "hoistwise/#", "reader-live");
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/watcher/" + host(), "online"), 10s));
    ASSERT_TRUE(sub.until(
        [](const Messages& all) { return lastIs("hoistwise/t/car1/state", "up")(all) && lastIs("hoistwise/t/car2/state", "up")(all); },
        20s));

    const QJsonObject state = json(sub.on("hoistwise/t/car1/state").back().payload);
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)").match(state["time"].toString()).hasMatch());
    EXPECT_EQ(state["poll"].toDouble(), 1.0);
    EXPECT_GE(state["floor"].toInt(), 1);
    EXPECT_LE(state["floor"].toInt(), 7);
    EXPECT_TRUE(state["velocity"].isDouble());
    EXPECT_EQ(state["bbt"].toString().size(), 5);
    ASSERT_TRUE(state["faults"].isArray());
    EXPECT_FALSE(state["faults"].toArray().first().toObject()["description"].toString().isEmpty());
    EXPECT_EQ(state["signals"].toObject().size(), 55);
    EXPECT_TRUE(state["signals"].toObject()["SM"].isDouble());

    ASSERT_TRUE(sub.until([&](const Messages&) { return !sub.on("hoistwise/t/car1/fault").empty(); }, 60s));
    const QJsonObject fault = json(sub.on("hoistwise/t/car1/fault").front().payload);
    EXPECT_GT(fault["code"].toInt(), 0);
    EXPECT_FALSE(fault["description"].toString().isEmpty());
    EXPECT_FALSE(fault["time"].toString().isEmpty());

    // A hold closes car2's line for six seconds; carwatch then takes it back and clears the hold.
    ASSERT_TRUE(publishOnce(broker->port(), "hoistwise/t/car2/hold", R"({"minutes":0.1,"by":"test"})", true));
    ASSERT_TRUE(publishOnce(broker->port(), "hoistwise/t/car1/hold", R"({"minutes":"soon"})", false));
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/car2/state", "held"), 10s));
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/car2/state", "up"), 20s));
    EXPECT_TRUE(sub.until(lastIs("hoistwise/t/car2/hold", ""), 5s));
    EXPECT_TRUE(lastIs("hoistwise/t/car1/state", "up")(sub.messages)) << "a malformed hold is ignored";
    EXPECT_NE(log().find("car1: hold ignored"), std::string::npos) << log();

    // car1's controller goes away and comes back on the same line.
    cars[0].reset();
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/car1/state", "down"), 15s));
    cars[0] = car(1);
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/car1/state", "up"), 30s));

    watcher->signal(SIGTERM);
    EXPECT_EQ(watcher->waitExit(), 0);
    EXPECT_TRUE(sub.until(lastIs("hoistwise/t/watcher/" + host(), "offline"), 5s));

    std::set<std::string> sent;
    EXPECT_EQ(capturedFaults("car2", &sent), codes(sub.on("hoistwise/t/car2/fault")));
    capturedFaults("car1", &sent);
    EXPECT_EQ(captures("car2").size(), 2u) << "one capture per connection: before and after the hold";
    sent.erase("");
    EXPECT_EQ(sent, (std::set<std::string>{"pmii", "vel", "bbt", "flt0"}));
}

// The broker away for 20 s while the cars go on leaving faults: every fault message arrives
// once it is back, in order; the same when carwatch is restarted while the broker is away; then
// carwatch killed outright is reported offline by its will.
TEST_F(Site, LosesNoFaultWhileTheBrokerIsAwayOrOverARestartAndDiesWithItsWill)
{
    startWatcher(3);
    Subscriber sub(broker->port(), "hoistwise/#", "reader-away");
    ASSERT_TRUE(sub.until(lastIs("hoistwise/t/car3/state", "up"), 20s));

    broker->stop();
    const auto away = std::chrono::system_clock::now();
    std::this_thread::sleep_for(20s);
    ASSERT_TRUE(broker->start());
    const auto back = std::chrono::system_clock::now();

    const auto allIn = [&](const Messages&) {
        for (const std::string car : {"car1", "car2", "car3"})
            if (capturedFaults(car) != codes(sub.on("hoistwise/t/" + car + "/fault")))
                return false;
        return true;
    };
    EXPECT_TRUE(sub.until(allIn, 30s));
    const QString from = QString::fromStdString(carwatch::isoTime(away));
    const QString to = QString::fromStdString(carwatch::isoTime(back));
    EXPECT_GT(std::count_if(sub.messages.begin(), sub.messages.end(),
                            [&](const auto& m) {
                                const QString t = json(m.payload)["time"].toString();
                                return m.topic.ends_with("/fault") && t > from && t < to;
                            }),
              0)
        << "faults were read while the broker was away";

    // Away again, and carwatch restarted meanwhile with the same state folder.
    broker->stop();
    // A message still waits when its "M seq" line has no "D seq" after it.
    const auto queued = [&] {
        std::ifstream journal(dir + "/state/fault-queue");
        std::set<long long> waiting;
        char kind = 0;
        long long seq = 0;
        for (std::string line; std::getline(journal, line);)
            if (std::istringstream(line) >> kind >> seq)
                kind == 'M' ? void(waiting.insert(seq)) : void(waiting.erase(seq));
        return !waiting.empty();
    };
    for (int i = 0; i < 400 && !queued(); ++i)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(queued()) << "a fault waits in the queue";
    watcher->signal(SIGTERM);
    EXPECT_EQ(watcher->waitExit(), 0);
    startWatcher(3);
    std::this_thread::sleep_for(8s);
    ASSERT_TRUE(broker->start());
    EXPECT_TRUE(sub.until(allIn, 30s)) << [&] {
        std::string why;
        for (const std::string car : {"car1", "car2", "car3"}) {
            why += car + " captured:";
            for (int c : capturedFaults(car))
                why += " " + std::to_string(c);
            why += "; published:";
            for (const auto& m : sub.on("hoistwise/t/" + car + "/fault"))
                why += " " + m.payload;
            why += "\n";
        }
        return why + log();
    }();
    EXPECT_NE(log().find("from before wait for the broker"), std::string::npos) << log();

    watcher->signal(SIGKILL);
    EXPECT_TRUE(sub.until(lastIs("hoistwise/t/watcher/" + host(), "offline"), 10s));
}

class TlsSite : public Site {
protected:
    void SetUp() override
    {
        tlsPort = MosquittoProcess::freePort();
        tls = "listener " + std::to_string(tlsPort) + " 127.0.0.1\ncertfile " + certificates.dir + "/here.pem\nkeyfile " +
              certificates.dir + "/here.key\n";
        ASSERT_TRUE(certificates.made);
        Site::SetUp();
    }
    TestCertificates certificates;
    int tlsPort = 0;
};

TEST_F(TlsSite, ConnectsWithTheSiteCaAndRefusesAnother)
{
    const std::string url = "mqtts://127.0.0.1:" + std::to_string(tlsPort) + "?ca=" + certificates.dir;
    const std::string watcherTopic = "hoistwise/t/watcher/" + host();
    Subscriber sub(broker->port(), "hoistwise/#", "reader-tls");
    startWatcher(1, {"--broker", url + "/other-ca.pem"});
    EXPECT_FALSE(sub.until(lastIs(watcherTopic, "online"), 5s));
    EXPECT_NE(log().find("certificate verify failed"), std::string::npos) << log();
    watcher.reset();
    startWatcher(1, {"--broker", url + "/site-ca.pem"});
    EXPECT_TRUE(sub.until(lastIs(watcherTopic, "online"), 10s));
}

} // namespace
