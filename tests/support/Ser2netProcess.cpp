#include "tests/support/Ser2netProcess.h"

#include "tests/support/FreePort.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
int configCount = 0;
}

Ser2netProcess::Ser2netProcess(std::vector<Connection> connections)
    : connections_(std::move(connections))
    , config_("/tmp/hoistwise-ser2net-" + std::to_string(::getpid()) + "-" + std::to_string(++configCount) + ".yaml")
{
    std::ofstream yaml(config_);
    for (std::size_t i = 0; i < connections_.size(); ++i) {
        Connection& c = connections_[i];
        c.port = freePort();
        yaml << "connection: &port" << i << "\n"
             << "  accepter: " << c.stack << (c.stack.empty() ? "" : ",") << "tcp,127.0.0.1," << c.port << "\n"
             << "  connector: serialdev," << c.device << ",1200n81,local\n";
        if (!c.options.empty())
            yaml << "  options:\n";
        for (const std::string& option : c.options)
            yaml << "    " << option << "\n";
    }
}

Ser2netProcess::~Ser2netProcess()
{
    stop();
    std::remove(config_.c_str());
}

bool Ser2netProcess::start()
{
    stop();
    // -n: stay in the foreground; -u: no UUCP lock files, the pseudo-terminals need none.
    process_ = std::make_unique<sim::SimulatorProcess>(SER2NET_PROGRAM,
                                                      std::vector<std::string>{"-n", "-u", "-c", config_, "-P", config_ + ".pid"},
                                                      sim::SimulatorProcess::discardErrors());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        bool all = true;
        for (const Connection& c : connections_)
            all = all && listening(c.port);
        if (all)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Ser2netProcess::stop()
{
    if (process_)
        process_->stop();
    process_.reset();
    std::remove((config_ + ".pid").c_str());
}

std::string Ser2netProcess::url(const std::string& scheme, std::size_t i) const
{
    return scheme + "://127.0.0.1:" + std::to_string(port(i));
}

int Ser2netProcess::freePort()
{
    return freeLoopbackPort();
}

// Read from the kernel's table rather than by connecting, which would make ser2net open the
// device behind the port.
bool Ser2netProcess::listening(int port)
{
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const auto colon = local.find(':');
        if (state == "0A" && colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port)
            return true;
    }
    return false;
}
