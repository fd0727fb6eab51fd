#pragma once
// A real mosquitto broker on a free loopback port, with a configuration the test writes (plain,
// or TLS with the test's certificates), persistence in the test's folder so that a restart keeps
// retained messages and persistent sessions; and mosquitto_sub as an independent reader.
#include "sim/common/testing/SimulatorProcess.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class MosquittoProcess {
public:
    // `tls`: listener lines such as "certfile ...", empty for plain MQTT.
    explicit MosquittoProcess(std::string dir, std::string tls = "");
    // True once it listens (within 5 s).
    bool start();
    void stop();
    int port() const { return port_; }
    std::string url() const;

    static int freePort();

private:
    std::string dir_;
    int port_;
    std::unique_ptr<sim::SimulatorProcess> process_;
};

// mosquitto_sub -v on a topic filter, with a persistent session of QoS 1 so that a broker
// restart loses nothing for it. Lines are "TOPIC PAYLOAD".
class Subscriber {
public:
    struct Message {
        std::string topic;
        std::string payload;
        std::chrono::system_clock::time_point at;
    };
    Subscriber(int port, const std::string& filter, const std::string& id);
    // Reads until `done` holds for the messages so far or `limit` passes.
    bool until(const std::function<bool(const std::vector<Message>&)>& done, std::chrono::seconds limit);
    // Every message on `topic` so far.
    std::vector<Message> on(const std::string& topic) const;
    std::vector<Message> messages;

private:
    sim::SimulatorProcess process_;
};

// mosquitto_pub: one message, QoS 1.
bool publishOnce(int port, const std::string& topic, const std::string& payload, bool retain);
