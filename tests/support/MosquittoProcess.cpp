#include "tests/support/MosquittoProcess.h"

#include "tests/support/FreePort.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

bool listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

int MosquittoProcess::freePort()
{
    return freeLoopbackPort();
}

MosquittoProcess::MosquittoProcess(std::string dir, std::string tls) : dir_(std::move(dir)), port_(freePort())
{
    // Run as the test's own user, which can read the test's key and write its folder.
    const passwd* me = ::getpwuid(::getuid());
    std::ofstream(dir_ + "/mosquitto.conf") << "user " << (me ? me->pw_name : "root") << "\nlistener " << port_ << " 127.0.0.1\n"
                                             << "allow_anonymous true\npersistence true\npersistence_location "
                                             << dir_ << "/\n" << tls << "\n";
}

bool MosquittoProcess::start()
{
    process_ = std::make_unique<sim::SimulatorProcess>(MOSQUITTO_PROGRAM, std::vector<std::string>{"-c", dir_ + "/mosquitto.conf"},
                                                       sim::SimulatorProcess::errorsToFile(dir_ + "/mosquitto.log"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!listening(port_)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void MosquittoProcess::stop() { process_.reset(); }

std::string MosquittoProcess::url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

Subscriber::Subscriber(int port, const std::string& filter, const std::string& id)
    : process_(MOSQUITTO_SUB_PROGRAM,
               {"-h", "127.0.0.1", "-p", std::to_string(port), "-v", "-q", "1", "-c", "-i", id, "-t", filter},
               sim::SimulatorProcess::discardErrors())
{
}

bool Subscriber::until(const std::function<bool(const std::vector<Message>&)>& done, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done(messages)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        const std::string line = process_.readLine(std::min(left, std::chrono::milliseconds(500)));
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        messages.push_back({line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1),
                            std::chrono::system_clock::now()});
    }
    return true;
}

std::vector<Subscriber::Message> Subscriber::on(const std::string& topic) const
{
    std::vector<Message> out;
    for (const Message& m : messages)
        if (m.topic == topic)
            out.push_back(m);
    return out;
}

bool publishOnce(int port, const std::string& topic, const std::string& payload, bool retain)
{
    const std::string command = MOSQUITTO_PUB_PROGRAM " -h 127.0.0.1 -p " + std::to_string(port) + " -q 1 " +
                                (retain ? "-r " : "") + "-t '" + topic + "' " + (payload.empty() ? "-n" : "-m '" + payload + "'");
    return std::system(command.c_str()) == 0;
}
