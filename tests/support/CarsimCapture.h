#pragma once
// carscope polling carsim every 250 ms, written as the recorder would have written it without
// waiting for it: carsim's own replies from its car model on a virtual clock. The car is called
// to a random floor every half minute, so it runs, stops, and is asked for BBT and faults as the
// live window would. For the tests and benchmarks of what reads captures back.
#include "serial/capture/CaptureFormat.h"
#include "sim/carsim/CarModel.h"
#include "sim/carsim/CommandSession.h"
#include "sim/carsim/ReplyShaper.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

// False when the files cannot be written.
inline bool writeCarsimCapture(const serial::capture::CapturePaths& paths, double seconds, const std::string& startText,
                               unsigned seed = 7)
{
    using namespace serial::capture;
    std::ofstream timing(paths.timing, std::ios::binary);
    std::ofstream data(paths.data, std::ios::binary);
    if (!timing || !data)
        return false;
    for (const auto& [name, value] : {std::pair{"START_TIME", startText}, {"PROGRAM", "carscope"},
                                      {"VERSION", "1.0"}, {"PORT", "COM1"}, {"DEVICE", "/dev/pts/9"},
                                      {"SETTINGS", "1200,n,8,1"}})
        timing << namedLine(kHeader, 0, name, value);
    data << dataHeaderLine(startText, "PROGRAM=\"carscope\" PORT=\"COM1\" DEVICE=\"/dev/pts/9\"");

    carsim::CarModel car(seed);
    carsim::ReplyShaper shaper(carsim::Scenario::Normal, seed);
    carsim::CommandSession session(car, shaper);
    std::mt19937 random(seed);
    long long last = 0;
    const auto record = [&](char kind, long long at, const std::string& bytes) {
        if (bytes.empty())
            return;
        timing << bytesLine(kind, at - last, bytes.size());
        data << bytes;
        last = at;
    };
    // carsim answers at once on a pseudo-terminal: the reply a few milliseconds after its command.
    const auto ask = [&](long long at, const std::string& command) {
        at = std::max(at, last);
        record(kSent, at, command);
        const std::string reply = session.receive(command);
        record(kReceived, at + 3000 + static_cast<long long>(reply.size()) * 10, reply);
    };
    timing << namedLine(kEvent, 0, kOpen, "COM1 /dev/pts/9 1200,n,8,1");
    const long long end = static_cast<long long>(seconds * 1e6);
    // The window counts its first table at rest as a stop: BBT and faults are asked at once.
    bool wasMoving = true;
    for (long long t = 250000; t < end; t += 250000) {
        car.advance(0.25);
        ask(t, "pmii\r");
        if (car.moving())
            ask(t + 120000, "vel\r");
        if (wasMoving && !car.moving()) {
            ask(t + 130000, "bbt\r");
            ask(t + 160000, "flt0\r");
        }
        wasMoving = car.moving();
        if (t % 30000000 == 0)
            ask(t + 200000, "scc" + std::to_string(1 + random() % 7) + "\r");
    }
    timing << namedLine(kEvent, end - last, kClose, "COM1");
    return static_cast<bool>(timing && data);
}
