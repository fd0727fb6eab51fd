// The fleet model fed messages in carwatch's form: what a row shows, when a car counts as
// silent or its watcher as gone, and how new faults are counted.
#include "carfleet/FleetModel.h"

#include <gtest/gtest.h>

using carfleet::FleetModel;

namespace {

const QDateTime kStart = QDateTime::fromString("2026-03-02T08:00:00.000Z", Qt::ISODateWithMs);

struct Message {
    const char* topic;
    const char* payload;
    int afterMs = 0;   // since kStart
};

void feed(FleetModel& model, std::initializer_list<Message> messages)
{
    for (const Message& m : messages)
        EXPECT_EQ(model.message(m.topic, m.payload, kStart.addMSecs(m.afterMs)), "") << m.topic;
}

QString shown(const FleetModel& model, int row, FleetModel::Column column)
{
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

} // namespace

TEST(FleetModel, MotionFromTheDirectionSignalsElseWhetherTheCarMoves)
{
    struct Case {
        const char* state;
        const char* motion;
    } cases[] = {
        {R"({"velocity":180,"signals":{"UP":1,"DP":0}})", "up"},
        {R"({"velocity":90,"signals":{"UP":0,"DP":1}})", "down"},
        {R"({"velocity":0,"signals":{"UP":0,"DP":0}})", "standing"},
        {R"({"velocity":null,"signals":{"UP":0,"DP":0}})", "standing"},
        {R"({"velocity":45,"signals":null})", "moving"},
        {R"({"velocity":null,"signals":null})", ""},
    };
    for (const Case& c : cases) {
        FleetModel model;
        feed(model, {{"hoistwise/s/car1/state", c.state}});
        EXPECT_EQ(FleetModel::motion(model.cars().at(0)), c.motion) << c.state;
    }
}

TEST(FleetModel, SilentAfterThreePollPeriodsFromTheStatesOwnTime)
{
    struct Case {
        const char* state;
        int nowMs;
        bool silent;
    } cases[] = {
        {R"({"time":"2026-03-02T08:00:00.000Z"})", 3000, false},
        {R"({"time":"2026-03-02T08:00:00.000Z"})", 3100, true},
        {R"({"time":"2026-03-02T08:00:00.000Z","poll":5})", 14000, false},
        {R"({"time":"2026-03-01T08:00:00.000Z"})", 0, true},        // retained from yesterday
        {R"({"time":"2026-03-02T09:00:00.000Z"})", 2000, false},    // a clock ahead: taken when received
        {R"({"time":"not a time"})", 2000, false},
    };
    for (const Case& c : cases) {
        FleetModel model;
        feed(model, {{"hoistwise/s/car1/state", c.state}});
        model.tick(kStart.addMSecs(c.nowMs));
        EXPECT_EQ(model.silent(model.cars().at(0)), c.silent) << c.state << " at +" << c.nowMs << " ms";
    }
}

TEST(FleetModel, AWatchersOfflineMarksTheCarsItPublishes)
{
    // Two watchers on one site: each car is the one's that was alone online when it spoke.
    FleetModel model;
        feed(model, {{"hoistwise/s/watcher/a", "online"},
                            {"hoistwise/s/car1/state", "{}"},
                            {"hoistwise/s/watcher/b", "online"},
                            {"hoistwise/s/watcher/a", "offline"},
                            {"hoistwise/s/car2/state", "{}"},
                            {"hoistwise/other/car9/state", R"({"link":"up"})"}});
    EXPECT_TRUE(model.watcherOffline(model.cars()[0]));
    EXPECT_FALSE(model.watcherOffline(model.cars()[1]));
    EXPECT_FALSE(model.watcherOffline(model.cars()[2])) << "no watcher known for its site";
    // Retained messages come in any order: a car before its site's only watcher.
    model.message("hoistwise/other/watcher/c", "offline", kStart);
    EXPECT_TRUE(model.watcherOffline(model.cars()[2]));
    EXPECT_EQ(shown(model, 2, FleetModel::Link), "up, watcher offline");
}

TEST(FleetModel, NewFaultsCountUntilAcknowledgedAndShowBeforeTheLog)
{
    FleetModel model;
        feed(model, {{"hoistwise/s/car1/state", R"({"link":"up","faults":[{"code":17,"floor":2,"description":"Door"}]})"},
                            {"hoistwise/s/car2/state", R"({"link":"up","faults":[]})"}});
    EXPECT_EQ(shown(model, 0, FleetModel::FaultCode), "17");
    EXPECT_EQ(shown(model, 0, FleetModel::FaultTime), "in the log");
    model.message("hoistwise/s/car1/fault", R"({"time":"2026-03-02T08:00:01.000Z","code":23,"floor":4,"description":"Safety"})", kStart);
    model.message("hoistwise/s/car2/fault", R"({"time":"2026-03-02T08:00:02.000Z","code":5,"floor":1,"description":"Run"})", kStart);
    model.message("hoistwise/s/car1/fault", R"({"time":"2026-03-02T08:00:03.000Z","code":24,"floor":4,"description":"Gate"})", kStart);
    EXPECT_EQ(model.unacknowledged(), 3);
    EXPECT_EQ(shown(model, 0, FleetModel::FaultCode), "24 (2 new)");
    model.acknowledge(0);
    EXPECT_EQ(model.unacknowledged(), 1);
    EXPECT_EQ(shown(model, 0, FleetModel::FaultCode), "24");
    ASSERT_EQ(model.cars()[0].recent.size(), 2u);
    EXPECT_EQ(model.cars()[0].log.size(), 1u);
}

TEST(FleetModel, RefusesWhatIsNotCarwatchsFormAndIgnoresOtherTopics)
{
    FleetModel model;
    const QDateTime now = kStart;
    EXPECT_NE(model.message("hoistwise/s/car1/state", "{not json", now), "");
    EXPECT_NE(model.message("hoistwise/s/car1/fault", R"({"floor":2})", now), "");
    EXPECT_NE(model.message("hoistwise/s/car1/hold", R"({"minutes":"x"})", now), "");
    EXPECT_EQ(model.message("hoistwise/s/car2/hold", "", now), "") << "a withdrawn hold of a car not seen";
    EXPECT_EQ(model.message("elsewhere/s/car3/state", "{}", now), "");
    EXPECT_EQ(model.message("hoistwise/s/car3/state/extra", "{}", now), "");
    EXPECT_EQ(model.rowCount(), 1) << "only the car whose messages were for it";
    EXPECT_FALSE(model.cars()[0].hasState);
    EXPECT_EQ(model.unacknowledged(), 0);
}
