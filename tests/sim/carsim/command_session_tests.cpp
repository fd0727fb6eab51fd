#include "sim/carsim/CommandSession.h"
#include "sim/carsim/ReplyFormat.h"
#include "serial/LineEnds.h"
#include "carterm/reply/ScopeReply.h"

#include <gtest/gtest.h>

#include <string>

using namespace carsim;

namespace {

struct Controller {
    explicit Controller(Scenario scenario = Scenario::Normal, std::uint64_t seed = 1)
        : car(seed)
        , shaper(scenario, seed)
        , session(car, shaper)
    {
    }
    CarModel car;
    ReplyShaper shaper;
    CommandSession session;
};

std::string fullPmiReply(const CarModel& car)
{
    return formatPmiReply(buildPmiTable(car.state()));
}

}  // namespace

TEST(CommandSession, EchoesEveryByteThenAnswers)
{
    Controller c;
    EXPECT_EQ(c.session.receive("pmii\r"), "pmii\r\n" + fullPmiReply(c.car));
    EXPECT_EQ(c.session.receive("vel\r"), "vel\r\n" + formatVelocityReply(0));
    EXPECT_EQ(c.session.receive("bbt\r"), "bbt\r\n" + formatBbtReply(11.31));
    EXPECT_EQ(c.session.receive("flt0\r"), "flt0\r\n" + formatFaultReply(c.car.faults()));
    EXPECT_EQ(c.session.receive("install\r"), "install\r\nINSTALL OK\r\n");
    EXPECT_EQ(c.session.receive("\r"), "\r\n");  // the terminal's greeting: echo only

    // Typed one key at a time, the echo comes back key by key and the reply after the CR.
    std::string typed;
    for (char key : std::string("vel"))
        typed += c.session.receive(key);
    EXPECT_EQ(typed, "vel");
    EXPECT_EQ(c.session.receive('\r'), "\r\n" + formatVelocityReply(0));
}

TEST(CommandSession, LineEndsFromOtherTerminalPrograms)
{
    Controller c;
    // CR LF: the LF is not a second, empty command.
    EXPECT_EQ(c.session.receive("vel\r\n"), "vel\r\n" + formatVelocityReply(0));
    // A lone LF ends a line too.
    EXPECT_EQ(c.session.receive("vel\n"), "vel\r\n" + formatVelocityReply(0));
    // Blanks around the command and upper case are forgiven.
    EXPECT_EQ(c.session.receive("  VEL \r"), "  VEL \r\n" + formatVelocityReply(0));
}

TEST(CommandSession, BackspaceRubsOutTheLastKey)
{
    Controller c;
    EXPECT_EQ(c.session.receive("vex\b"), "vex\b");
    EXPECT_EQ(c.session.receive("l\r"), "l\r\n" + formatVelocityReply(0));
    // Nothing to rub out: nothing echoed, so the terminal's screen is not eaten into.
    EXPECT_EQ(c.session.receive("\b\x7f"), "");
    EXPECT_EQ(c.session.receive("vel\r"), "vel\r\n" + formatVelocityReply(0));
}

TEST(CommandSession, CarCallsAndTheirRefusals)
{
    Controller c;
    EXPECT_EQ(c.session.receive("scc5\r"), "scc5\r\nCALL 5\r\n");
    EXPECT_EQ(c.session.receive("scc05\r"), "scc05\r\nCALL 5\r\n");
    EXPECT_EQ(c.session.receive("scc8\r"), "scc8\r\nNO CALL\r\n");
    EXPECT_EQ(c.session.receive("scc0\r"), "scc0\r\nNO CALL\r\n");
    EXPECT_EQ(c.session.receive("scc99999999999999999999\r"), "scc99999999999999999999\r\nNO CALL\r\n");
    // The stress test with an empty floor box sends "scc" alone.
    EXPECT_EQ(c.session.receive("scc\r"), "scc\r\n?\r\n");
    EXPECT_EQ(c.session.receive("scc 5\r"), "scc 5\r\n?\r\n");
    EXPECT_EQ(c.session.receive("std\r"), "std\r\nNO CALL\r\n");  // already at the bottom
    EXPECT_EQ(c.session.receive("stu\r"), "stu\r\nCALL 2\r\n");
    EXPECT_EQ(c.session.receive("pmi 1\r"), "pmi 1\r\n?\r\n");

    c.car.advance(1.0);
    EXPECT_TRUE(c.car.state().calls[5]);
    EXPECT_TRUE(c.car.state().calls[2]);
    EXPECT_EQ(c.car.state().targetFloor, 2);
}

TEST(CommandSession, OverlongLineIsAnErrorNotACommand)
{
    Controller c;
    const std::string junk(CommandSession::kMaxLineLength + 10, 'a');
    // The line would end in "pmii" if it were kept whole; it must not be taken for one.
    const std::string reply = c.session.receive(junk + "pmii\r");
    EXPECT_EQ(reply, junk + "pmii\r\n?\r\n");
    EXPECT_EQ(c.session.receive("vel\r"), "vel\r\n" + formatVelocityReply(0));
}

TEST(CommandSession, VelocityReplyFollowsTheCar)
{
    Controller c;
    c.session.receive("scc7\r");
    c.car.advance(6.0);
    ASSERT_TRUE(c.car.moving());
    const auto velocity = carterm::reply::parseScopeReply(serial::normaliseLineEnds(c.session.receive("vel\r")))
                              .markers.velocity;
    ASSERT_TRUE(velocity);
    const std::string shown = velocity->text;
    EXPECT_NE(shown, "  0");
    EXPECT_EQ(std::stoi(shown), c.car.velocityFeetPerMinute());
}

TEST(Scenarios, SilenceSendsNothingAtAll)
{
    Controller c(Scenario::Silence);
    EXPECT_EQ(c.session.receive("pmii\rvel\rbbt\rflt0\rscc3\rxyz\r"), "");
    c.car.advance(0.1);
    EXPECT_TRUE(c.car.phase() != CarPhase::Idle);  // it still listens
}

TEST(Scenarios, PartialCutsSomeTablesShortAndNothingElse)
{
    Controller c(Scenario::Partial, 99);
    const std::string full = "pmii\r\n" + fullPmiReply(c.car);
    int cut = 0;
    for (int i = 0; i < 40; ++i) {
        const std::string reply = c.session.receive("pmii\r");
        ASSERT_LE(reply.size(), full.size());
        EXPECT_EQ(reply, full.substr(0, reply.size()));  // a prefix, never altered
        EXPECT_NE(reply.find("> PMII"), std::string::npos);
        if (reply.size() < full.size())
            ++cut;
    }
    EXPECT_GT(cut, 5);
    EXPECT_LT(cut, 35);
    EXPECT_EQ(c.session.receive("vel\r"), "vel\r\n" + formatVelocityReply(0));
}

TEST(Scenarios, GarbageComesBetweenWholeReplies)
{
    Controller c(Scenario::Garbage, 5);
    const std::string full = "pmii\r\n" + fullPmiReply(c.car);
    int noisy = 0;
    for (int i = 0; i < 40; ++i) {
        const std::string reply = c.session.receive("pmii\r");
        ASSERT_GE(reply.size(), full.size());
        EXPECT_EQ(reply.substr(0, full.size()), full);
        if (reply.size() > full.size())
            ++noisy;
    }
    EXPECT_GT(noisy, 3);
    EXPECT_LT(noisy, 37);
}

TEST(Scenarios, SameSeedSameBytes)
{
    Controller a(Scenario::Garbage, 77), b(Scenario::Garbage, 77);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(a.session.receive("vel\r"), b.session.receive("vel\r"));
}
