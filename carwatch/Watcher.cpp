#include "carwatch/Watcher.h"

#include "carterm/FaultText.h"
#include "carwatch/Log.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <unistd.h>

namespace carwatch {

namespace {

constexpr int kStateGapMs = 250;   // four states a second per car at most
constexpr double kLongestHoldMinutes = 7 * 24 * 60;

std::string watcherTopic(const std::string& site, const std::string& host)
{
    return "hoistwise/" + site + "/watcher/" + host;
}

} // namespace

Watcher::Watcher(Setup setup) : setup_(std::move(setup))
{
    const WatchConfig& config = setup_.config;
    const std::string mainSite = config.site.empty() ? config.cars.front().site : config.site;
    watcherTopic_ = watcherTopic(mainSite, setup_.host);

    serial::capture::CaptureSettings capture;
    capture.enabled = true;
    capture.folder = config.captureDir.empty() ? setup_.stateDir + "/captures" : config.captureDir;
    if (config.captureLimitBytes > 0)
        capture.limitBytes = config.captureLimitBytes;
    capture.version = setup_.version;

    int port = 0;
    for (const CarConfig& c : config.cars) {
        auto car = std::make_unique<Car>();
        car->site = c.site.empty() ? config.site : c.site;
        car->topic = "hoistwise/" + car->site + "/" + c.name;
        capture.program = "carwatch-" + c.name;   // names the car's capture files
        car->link = std::make_unique<CarLink>(c, ++port, capture, config.pollSeconds);
        Car* raw = car.get();
        car->link->onChanged = [this, raw] { publishState(*raw); };
        car->link->onFaults = [this, raw](const std::vector<FaultEntry>& e) { newFaults(*raw, e); };
        car->later.setSingleShot(true);
        QObject::connect(&car->later, &QTimer::timeout, [this, raw] { publishState(*raw); });
        car->holdEnd.setSingleShot(true);
        QObject::connect(&car->holdEnd, &QTimer::timeout, [this, raw] { endHold(*raw); });
        cars_.push_back(std::move(car));
    }
    // A car at rest changes nothing for hours: its state goes out again every two poll periods,
    // so that a reader tells a quiet car from a watcher that went silent (three periods).
    const int pollMs = static_cast<int>(config.pollSeconds * 1000);
    heartbeat_.setInterval(std::max(pollMs, kStateGapMs));
    QObject::connect(&heartbeat_, &QTimer::timeout, [this, pollMs] {
        for (auto& car : cars_)
            if (car->sent.isValid() && car->sent.elapsed() >= 2 * pollMs)
                publishState(*car, true);
    });
    heartbeat_.start();

    mqtt::Broker::Settings broker;
    broker.address = config.broker;
    broker.user = config.brokerUser;
    broker.password = setup_.password;
    broker.clientId = "carwatch-" + setup_.host + "-" + std::to_string(::getpid());
    broker.willTopic = watcherTopic_;
    broker_ = std::make_unique<mqtt::Broker>(broker);
    broker_->onProblem = [](const std::string& why, bool refused) {
        refused ? log::error(why) : log::warning(why);
    };
    broker_->onConnected = [this] { connected(); };
    broker_->onDisconnected = [this](const std::string& why) {
        log::warning("broker connection lost (" + why + "); reading and recording go on, fault messages wait on disk");
    };
    broker_->onPublished = [this](int mid) { published(mid); };
    broker_->onMessage = [this](const std::string& topic, const std::string& payload) {
        for (auto& car : cars_)
            if (topic == car->topic + "/hold")
                holdMessage(*car, payload);
    };
}

Watcher::~Watcher() = default;

std::string Watcher::start()
{
    if (std::string problem = queue_.open(setup_.stateDir + "/fault-queue"); !problem.empty())
        return problem;
    if (!queue_.pending().empty())
        log::notice(std::to_string(queue_.pending().size()) + " fault message(s) from before wait for the broker");
    if (std::string problem = broker_->start(); !problem.empty())
        return problem;
    const BrokerAddress& a = setup_.config.broker;
    log::info(std::string("connecting to ") + (a.tls ? "mqtts://" : "mqtt://") + a.host + ":" + std::to_string(a.port) +
              "; " + std::to_string(cars_.size()) + " car(s), state in " + setup_.stateDir);
    for (auto& car : cars_)
        car->link->start();
    // libmosquitto retries in silence: say once when the broker is not there.
    QTimer::singleShot(5000, [this] {
        if (!broker_->connected())
            log::warning("the broker cannot be reached yet; reading and recording go on, fault messages wait on disk");
    });
    return {};
}

void Watcher::stop()
{
    for (auto& car : cars_) {
        car->later.stop();
        car->holdEnd.stop();
        car->link->stop();
    }
    for (const std::string& site : sites())
        if (watcherTopic(site, setup_.host) != watcherTopic_)
            broker_->publish(watcherTopic(site, setup_.host), "offline", 1, true);
    const bool told = broker_->connected();
    broker_->finish(watcherTopic_, "offline", 2000);
    log::info(told ? "stopped: lines and captures closed, offline published"
                   : "stopped: lines and captures closed; the broker was away, its last will says offline");
}

std::set<std::string> Watcher::sites() const
{
    std::set<std::string> out;
    for (const auto& car : cars_)
        out.insert(car->site);
    return out;
}

void Watcher::connected()
{
    log::info("connected to the broker");
    for (const std::string& site : sites())
        broker_->publish(watcherTopic(site, setup_.host), "online", 1, true);
    for (auto& car : cars_) {
        broker_->subscribe(car->topic + "/hold");
        if (car->clearHold && car->hold.empty() && broker_->publish(car->topic + "/hold", "", 1, true) >= 0)
            car->clearHold = false;
        publishState(*car, true);
    }
    sendFaults();
}

void Watcher::publishState(Car& car, bool afresh)
{
    const CarLink& link = *car.link;
    if (!afresh && car.published == link.reading() && car.publishedLink == link.link())
        return;
    if (!broker_->connected())
        return;   // sent afresh on connecting
    if (!afresh && car.sent.isValid() && car.sent.elapsed() < kStateGapMs) {
        if (!car.later.isActive())
            car.later.start(static_cast<int>(kStateGapMs - car.sent.elapsed()));
        return;
    }
    const std::string message =
        stateJson(link.reading(), link.link(), isoTime(std::chrono::system_clock::now()), setup_.config.pollSeconds);
    if (broker_->publish(car.topic + "/state", message, 1, true) < 0)
        return;
    car.published = link.reading();
    car.publishedLink = link.link();
    car.sent.start();
}

void Watcher::newFaults(Car& car, const std::vector<FaultEntry>& entries)
{
    const std::string time = isoTime(std::chrono::system_clock::now());
    for (const FaultEntry& e : entries) {
        log::notice(car.link->car().name + ": fault " + std::to_string(e.code) + " at floor " + std::to_string(e.floor) +
                    ": " + carterm::faultText(e.code));
        if (const auto dropped = queue_.push(car.topic + "/fault", faultJson(e, time)))
            log::warning("fault queue full: the oldest message is dropped unsent: " + dropped->topic + " " +
                         dropped->payload);
    }
    sendFaults();
}

// In order: every pending message not yet with libmosquitto, as long as it takes them.
void Watcher::sendFaults()
{
    for (const FaultQueue::Entry& e : queue_.pending()) {
        if (handedOver_.count(e.seq))
            continue;
        const int mid = broker_->publish(e.topic, e.payload, 1, false);
        if (mid < 0)
            return;
        inFlight_[mid] = e.seq;
        handedOver_.insert(e.seq);
    }
}

void Watcher::published(int mid)
{
    const auto it = inFlight_.find(mid);
    if (it == inFlight_.end())
        return;
    queue_.done(it->second);
    handedOver_.erase(it->second);
    inFlight_.erase(it);
}

void Watcher::holdMessage(Car& car, const std::string& payload)
{
    const std::string& name = car.link->car().name;
    if (payload.empty()) {
        if (car.hold.empty())
            return;   // our own clearing of an expired hold, or nothing held
        log::notice(name + ": hold withdrawn; taking the line back");
        car.hold.clear();
        car.holdEnd.stop();
        car.link->release();
        return;
    }
    if (payload == car.hold)
        return;   // the same hold, retained and delivered again after a reconnection
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(payload), &error);
    const QJsonObject hold = doc.object();
    const double minutes = hold.value("minutes").toDouble(-1);
    if (!doc.isObject() || !hold.value("by").isString() || !std::isfinite(minutes) || minutes <= 0 ||
        minutes > kLongestHoldMinutes) {
        log::warning(name + ": hold ignored, not {\"minutes\": 1 to " + std::to_string(int(kLongestHoldMinutes)) +
                     ", \"by\": \"NAME\"}: " + payload.substr(0, 200));
        return;
    }
    car.hold = payload;
    car.holdEnd.start(static_cast<int>(minutes * 60000));
    log::notice(name + ": held for " + std::to_string(minutes) + " min by " + hold.value("by").toString().toStdString() +
                "; line closed");
    car.link->hold();
}

void Watcher::endHold(Car& car)
{
    log::notice(car.link->car().name + ": hold over; taking the line back");
    car.hold.clear();
    car.clearHold = broker_->publish(car.topic + "/hold", "", 1, true) < 0;
    car.link->release();
}

} // namespace carwatch
