#pragma once
// The real ser2net as a child process on 127.0.0.1, with a configuration the test writes: each
// connection gets a free port, the accepter stack asked for and the device behind it. It can be
// stopped and started again on the same ports; it is stopped when the object goes.
#include "sim/common/testing/SimulatorProcess.h"

#include <memory>
#include <string>
#include <vector>

class Ser2netProcess {
public:
    struct Connection {
        std::string stack;    // "telnet(rfc2217)", "telnet(rfc2217),ssl(key=K,cert=C)", "" for raw TCP
        std::string device;   // the serial device (a simulator's pseudo-terminal)
        // ser2net's options for the connection, for example {"dev-to-net-bufsize: 65536"}.
        std::vector<std::string> options{};
        int port = 0;         // chosen by the constructor
    };

    explicit Ser2netProcess(std::vector<Connection> connections);
    ~Ser2netProcess();

    // True once every port listens (within 5 s).
    bool start();
    void stop();
    int port(std::size_t i = 0) const { return connections_.at(i).port; }
    // "rfc2217://127.0.0.1:<port>" and the like.
    std::string url(const std::string& scheme, std::size_t i = 0) const;

    // A loopback port nothing listens on at the moment of asking.
    static int freePort();
    static bool listening(int port);

private:
    std::vector<Connection> connections_;
    std::string config_;
    std::unique_ptr<sim::SimulatorProcess> process_;
};
