// carsim: an elevator car controller on a serial line, for training and for the terminals' tests.
#include "sim/carsim/CarModel.h"
#include "sim/carsim/CommandSession.h"
#include "sim/common/ConnectHint.h"
#include "sim/carsim/LineLoop.h"
#include "sim/carsim/Options.h"
#include "sim/common/PseudoTerminal.h"
#include "sim/carsim/ReplyShaper.h"
#include "sim/common/SerialDevice.h"
#include "sim/common/StopSignals.h"

#include <cstdio>
#include <string_view>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExitBadOptions = 2;
constexpr int kExitFailure = 1;

std::uint64_t chooseSeed(const carsim::Options& options)
{
    if (options.seed)
        return *options.seed;
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

int run(const carsim::Options& options, const sigset_t& waitMask)
{
    const std::uint64_t seed = chooseSeed(options);

    std::unique_ptr<sim::PseudoTerminal> pty;
    int fd = -1;
    std::string path;
    if (!options.devicePath.empty()) {
        fd = sim::openSerialDevice(options.devicePath, options.baud);
        path = options.devicePath;
    } else {
        pty = std::make_unique<sim::PseudoTerminal>();
        if (!options.linkPath.empty())
            pty->linkTo(options.linkPath);
        fd = pty->masterFd();
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        path = pty->slavePath();
    }

    // Whoever started us reads the line's path from the first line of output.
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "carsim: %s scenario on %s%s%s, seed %llu\n",
        std::string(carsim::scenarioName(options.scenario)).c_str(), path.c_str(),
        options.linkPath.empty() ? "" : " linked as ", options.linkPath.c_str(),
        static_cast<unsigned long long>(seed));
    if (pty) {
        const std::string line = options.linkPath.empty() ? path : options.linkPath;
        std::fprintf(stderr, "carsim: connect with: %s (or %s)\n", sim::connectCommand("carscope", 1, line).c_str(),
                     sim::connectCommand("cabtalk", 1, line).c_str());
    }

    carsim::CarModel car(seed, options.use);
    // The line's randomness is kept apart from the car's so that one does not shift the other.
    carsim::ReplyShaper shaper(options.scenario, seed ^ 0x9E3779B97F4A7C15ULL);
    carsim::CommandSession session(car, shaper);
    carsim::LineSettings settings{options.scenario, options.baud, options.hangupAfterSeconds};
    carsim::LineLoop loop(fd, car, session, settings, waitMask);

    const carsim::LineOutcome outcome = loop.run();
    if (!pty)
        ::close(fd);
    switch (outcome) {
    case carsim::LineOutcome::Stopped:
        return 0;
    case carsim::LineOutcome::HungUp:
        std::fprintf(stderr, "carsim: hung up the line after %g s as asked\n", options.hangupAfterSeconds);
        return 0;
    case carsim::LineOutcome::LineLost:
        std::fprintf(stderr, "carsim: lost the line %s: %s\n", path.c_str(), loop.lostReason().c_str());
        return kExitFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::fputs("carsim (Hoistwise kit) " HOISTWISE_VERSION "\n", stdout);
        return 0;
    }
    const carsim::ParsedOptions parsed = carsim::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "carsim: %s\nTry 'carsim --help' for more information.\n", parsed.error.c_str());
        return kExitBadOptions;
    }
    if (parsed.options.help) {
        std::fputs(carsim::usageText().c_str(), stdout);
        return 0;
    }

    const sigset_t waitMask = sim::installStopSignals({SIGINT, SIGTERM, SIGHUP});
    try {
        return run(parsed.options, waitMask);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "carsim: %s\n", e.what());
        return kExitFailure;
    }
}
