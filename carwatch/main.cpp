// carwatch: watches cars unattended, records their lines and publishes them to an MQTT broker.
#include "carwatch/Log.h"
#include "carwatch/Watcher.h"
#include "carwatch/WatchOptions.h"
#include "serial/OutsideText.h"
#include "serial/PortMap.h"
#include "serial/RegularFile.h"
#include "serial/SerialSettings.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int badInput(const std::string& text)
{
    std::fprintf(stderr, "carwatch: %s\n", text.c_str());
    return 2;
}

// A named file's whole text, opened without waiting on a FIFO. Nothing when it cannot be read.
std::optional<std::string> readText(const std::string& path, std::string& error)
{
    const serial::RegularFile file = serial::openRegularFile(path);
    if (file.fd < 0) {
        error = file.problem;
        return std::nullopt;
    }
    const int fd = file.fd;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < (1u << 20);)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

// $STATE_DIRECTORY under systemd (its first folder), else the XDG state folder.
std::string stateFolder()
{
    if (const char* dir = std::getenv("STATE_DIRECTORY"); dir && *dir)
        return std::string(dir).substr(0, std::string(dir).find(':'));
    if (const char* dir = std::getenv("XDG_STATE_HOME"); dir && *dir == '/')
        return std::string(dir) + "/hoistwise/carwatch";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/hoistwise/carwatch";
}

// Topic levels take no '/', '+' or '#'.
std::string hostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    std::string host = *name ? name : "localhost";
    for (char& c : host)
        if (c == '/' || c == '+' || c == '#' || c == ' ')
            c = '_';
    return host;
}

int signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace carwatch;
    carwatch::Parsed parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty())
        return badInput(parsed.error);
    WatchConfig& config = parsed.config;
    if (config.help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (config.version) {
        std::printf("carwatch (Hoistwise kit) %s\n", HOISTWISE_VERSION);
        return 0;
    }

    std::string error;
    if (config.configGiven || std::filesystem::exists(config.configFile)) {
        const auto text = readText(config.configFile, error);
        if (!text)
            return badInput("config file " + serial::printable(config.configFile) + ": " + error);
        if (std::string problem = mergeConfigFile(*text, config.configFile, config); !problem.empty())
            return badInput(problem);
    }
    if (std::string problem = checkComplete(config); !problem.empty())
        return badInput(problem);
    for (const CarConfig& car : config.cars) {
        serial::SerialSettings settings;
        if (const auto e = serial::SerialSettings::parse(car.settings.empty() ? kDefaultSettings : car.settings, settings))
            return badInput("car " + car.name + ": settings " + serial::printable(car.settings) + ": " + e.text);
        if (const std::string refusal = serial::mappingRefusal(car.port); !refusal.empty())
            return badInput("car " + car.name + ": " + serial::printable(car.port) + " " + refusal);
    }
    if (const std::string& ca = config.broker.ca; !ca.empty()) {
        std::error_code e;
        if (!std::filesystem::is_directory(ca, e) && !readText(ca, error))
            return badInput("the broker's CA " + serial::printable(ca) + ": " + error);
    }
    std::string password;
    // Under systemd's LoadCredential= a bare name is one of the service's credentials.
    const char* credentials = std::getenv("CREDENTIALS_DIRECTORY");
    if (credentials && *credentials && !config.brokerPasswordFile.empty() &&
        config.brokerPasswordFile.find('/') == std::string::npos)
        config.brokerPasswordFile = std::string(credentials) + "/" + config.brokerPasswordFile;
    if (!config.brokerPasswordFile.empty()) {
        const auto text = readText(config.brokerPasswordFile, error);
        if (!text)
            return badInput("broker password file " + serial::printable(config.brokerPasswordFile) + ": " + error);
        password = text->substr(0, text->find_first_of("\r\n"));
    }

    const std::string state = stateFolder();
    std::error_code made;
    std::filesystem::create_directories(state, made);
    if (made) {
        log::error("cannot make the state folder " + serial::printable(state) + ": " + made.message());
        return 1;
    }

    QCoreApplication app(argc, argv);
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe);
    QSocketNotifier endSignals(signalPipe[0], QSocketNotifier::Read);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Watcher watcher({config, state, hostName(), password, HOISTWISE_VERSION});
    if (std::string problem = watcher.start(); !problem.empty()) {
        log::error(problem);
        return 1;
    }
    QObject::connect(&endSignals, &QSocketNotifier::activated, [&] {
        char sig = 0;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &sig, 1);
        endSignals.setEnabled(false);
        log::info(std::string("ending on ") + (sig == SIGINT ? "SIGINT" : "SIGTERM"));
        watcher.stop();
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
