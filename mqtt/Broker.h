#pragma once
// The MQTT connection, through libmosquitto's own network thread: it connects, keeps the
// connection and reconnects (1 s to 10 s apart) by itself; its reports reach the Qt thread as
// calls of the handlers below. A QoS 1 message handed over while connected stays with
// libmosquitto until the broker acknowledges it, across a reconnection.
#include "mqtt/BrokerAddress.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

struct mosquitto;
struct mosquitto_message;

namespace mqtt {

class Broker {
public:
    struct Settings {
        BrokerAddress address;
        std::string user;
        std::string password;
        std::string clientId;
        std::string willTopic;     // "offline", retained, when the connection dies without a goodbye
    };

    explicit Broker(Settings settings);
    ~Broker();
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    // Starts connecting in the background; what makes it impossible (a CA file libmosquitto
    // refuses), or empty. A broker that cannot be reached now is no error: it is retried.
    std::string start();
    bool connected() const { return connected_; }
    // The message's id for onPublished, or -1 when it could not be handed over now.
    int publish(const std::string& topic, const std::string& payload, int qos, bool retain);
    void subscribe(const std::string& topic);
    // Publishes `payload` at `topic` (retained) and waits up to `patience` ms for the broker to
    // take it, then disconnects.
    void finish(const std::string& topic, const std::string& payload, int patience);

    std::function<void()> onConnected;
    std::function<void(const std::string& why)> onDisconnected;
    std::function<void(int mid)> onPublished;
    std::function<void(const std::string& topic, const std::string& payload)> onMessage;
    // Why connecting fails, each reason once until it changes: `refused` when the broker said
    // no (a final answer for these settings), otherwise libmosquitto's own words.
    std::function<void(const std::string& why, bool refused)> onProblem;

private:
    static void connected(mosquitto*, void* self, int rc);
    static void disconnected(mosquitto*, void* self, int rc);
    static void published(mosquitto*, void* self, int mid);
    static void message(mosquitto*, void* self, const mosquitto_message* msg);
    static void logged(mosquitto*, void* self, int level, const char* text);
    void post(std::function<void(Broker&)> fn);

    Settings settings_;
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    bool started_ = false;
    std::string lastProblem_;
    QObject context_;   // the Qt thread's side of libmosquitto's reports
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace mqtt
