// Writes a long capture without waiting for it: carscope polling carsim every 250 ms, as the
// recorder would have written it (tests/support/CarsimCapture.h), ending now.
//   capture_synth OUT_STEM HOURS [SEED]
#include "tests/support/CarsimCapture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: capture_synth OUT_STEM HOURS [SEED]\n");
        return 2;
    }
    const double hours = std::atof(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 7;
    const auto start = std::chrono::system_clock::now() - std::chrono::seconds(static_cast<long long>(hours * 3600));
    if (!writeCarsimCapture(serial::capture::capturePaths(argv[1]), hours * 3600, serial::capture::startTimeText(start),
                            seed)) {
        std::fprintf(stderr, "capture_synth: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
