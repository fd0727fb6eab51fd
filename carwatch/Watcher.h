#pragma once
// The watcher: every car's link, the broker, and the fault queue between them. States go out
// retained on every change (at most four a second per car) and afresh whenever the broker
// comes back; fault messages go through the queue on disk, in order, and leave it only once
// the broker has acknowledged them. A hold on a car's hold topic closes its line for a while.
#include "carwatch/CarLink.h"
#include "carwatch/FaultQueue.h"
#include "carwatch/WatchOptions.h"
#include "mqtt/Broker.h"

#include <QElapsedTimer>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace carwatch {

class Watcher {
public:
    struct Setup {
        WatchConfig config;
        std::string stateDir;
        std::string host;       // names the watcher's topic
        std::string password;
        std::string version;
    };

    explicit Watcher(Setup setup);
    ~Watcher();

    // What keeps it from starting (the fault queue is another watcher's), or empty.
    std::string start();
    // The orderly end: lines and captures closed, "offline" published.
    void stop();

private:
    struct Car {
        std::unique_ptr<CarLink> link;
        std::string site;
        std::string topic;       // hoistwise/SITE/CAR
        std::optional<CarReading> published;   // the last state sent, and its link
        std::string publishedLink;
        QElapsedTimer sent;
        QTimer later;            // a change that came too soon after the last
        QTimer holdEnd;
        std::string hold;        // the hold in force, as received
        bool clearHold = false;  // the expired hold is still retained at the broker
    };

    void connected();
    void publishState(Car& car, bool afresh = false);
    void newFaults(Car& car, const std::vector<FaultEntry>& entries);
    void sendFaults();
    void published(int mid);
    void holdMessage(Car& car, const std::string& payload);
    void endHold(Car& car);
    std::set<std::string> sites() const;

    Setup setup_;
    std::unique_ptr<mqtt::Broker> broker_;
    FaultQueue queue_;
    std::vector<std::unique_ptr<Car>> cars_;
    std::map<int, long long> inFlight_;   // libmosquitto's message id to the queue's
    std::set<long long> handedOver_;
    std::string watcherTopic_;           // the last will's
    QTimer heartbeat_;
};

} // namespace carwatch
