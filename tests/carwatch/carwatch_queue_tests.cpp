// What carwatch decides without a broker: which fault-log entries are new, and the queue on
// disk that keeps fault messages across a broker's absence and a restart.
#include "carwatch/CarReading.h"
#include "carwatch/FaultQueue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using carwatch::FaultEntry;
using carwatch::FaultLog;

TEST(FaultLog, NewEntriesAreThoseInFrontOfTheOldLog)
{
    const FaultEntry a{24, 2}, b{9, 3}, c{26, 1}, d{5, 7}, none{};
    const struct {
        FaultLog before, now;
        std::vector<FaultEntry> fresh;
    } cases[] = {
        {{a, b, c, d}, {a, b, c, d}, {}},
        {{none, none, none, none}, {a, none, none, none}, {a}},
        {{a, b, c, d}, {c, a, b, c}, {c}},
        {{a, b, c, d}, {d, c, a, b}, {c, d}},          // two between reads, oldest first
        {{a, b, c, d}, {a, a, b, c}, {a}},             // the same fault again
        {{a, b, c, d}, {none, none, none, none}, {}},  // the log cleared at the controller
    };
    for (const auto& c : cases)
        EXPECT_EQ(carwatch::newFaultEntries(c.before, c.now), c.fresh);
}

TEST(FaultQueue, KeepsOrderAcrossARestartAndDropsTheOldestWhenFull)
{
    const std::string path = "/tmp/carwatch-queue-" + std::to_string(::getpid());
    {
        carwatch::FaultQueue queue(3);
        ASSERT_EQ(queue.open(path), "");
        carwatch::FaultQueue second;
        EXPECT_NE(second.open(path).find("in use by another carwatch"), std::string::npos);
        for (const char* p : {"{1}", "{2}", "{3}"})
            EXPECT_FALSE(queue.push("t/a/fault", p));
        queue.done(queue.pending().front().seq);   // {1} delivered
        EXPECT_FALSE(queue.push("t/b/fault", "{4}"));
        const auto dropped = queue.push("t/a/fault", "{5}");
        ASSERT_TRUE(dropped);
        EXPECT_EQ(dropped->payload, "{2}");
    }
    std::ofstream(path, std::ios::app) << "M 99 t/a/fau";   // a line cut short by a crash
    carwatch::FaultQueue restarted(3);
    ASSERT_EQ(restarted.open(path), "");
    std::vector<std::string> left;
    for (const auto& e : restarted.pending())
        left.push_back(e.topic + " " + e.payload);
    EXPECT_EQ(left, (std::vector<std::string>{"t/a/fault {3}", "t/b/fault {4}", "t/a/fault {5}"}));
    restarted.push("t/a/fault", "{6}");
    EXPECT_GT(restarted.pending().back().seq, 5) << "numbers go on after a restart";
    std::filesystem::remove(path);
}

} // namespace
