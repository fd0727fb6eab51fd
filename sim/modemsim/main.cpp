// modemsim: a Hayes-style modem for the bench's modem port, with a TCP caller on loopback.
#include "sim/modemsim/BenchPort.h"
#include "sim/modemsim/CallerLine.h"
#include "sim/modemsim/HayesModem.h"
#include "sim/modemsim/ModemLoop.h"
#include "sim/modemsim/ModemOptions.h"
#include "sim/modemsim/TrafficLog.h"

#include "sim/common/ConnectHint.h"
#include "sim/common/StopSignals.h"

#include <csignal>
#include <cstdio>
#include <string_view>
#include <exception>

int main(int argc, char** argv)
{
    using namespace modemsim;

    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::fputs("modemsim (Hoistwise kit) " HOISTWISE_VERSION "\n", stdout);
        return 0;
    }
    ModemOptions options;
    std::string error;
    if (!parseModemOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "modemsim: %s\nTry 'modemsim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(modemUsage().c_str(), stdout);
        return 0;
    }

    const sigset_t waitMask = sim::installStopSignals({SIGINT, SIGTERM});
    const TrafficLog log(options.verbose);
    try {
        auto bench = options.devicePath.empty() ? BenchPort::createPseudoTerminal(options.linkPath)
                                                : BenchPort::openDevice(options.devicePath, options.speed);
        CallerLine caller(options.listenPort);

        std::printf("%s\n", bench->path().c_str());
        std::fflush(stdout);
        std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(caller.port()));
        std::fflush(stdout);
        if (options.devicePath.empty()) {
            const std::string line = options.linkPath.empty() ? bench->path() : options.linkPath;
            std::fprintf(stderr, "modemsim: connect with: %s\n", sim::connectCommand("iobench", 3, line).c_str());
        }

        HayesModem modem({options.ringInterval, options.speed});
        ModemLoop loop(modem, *bench, caller, log);
        return loop.run(sim::stopSignalFlag(), waitMask);
    } catch (const std::exception& e) {
        log.error(e.what());
        return 1;
    }
}
