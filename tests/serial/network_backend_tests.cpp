// Network ports on a clock the test moves, with connections the test answers: a refusal, the
// connect timeout, the back-off after a loss, a stalled reopen, a retry that takes over the
// port, and a close that ends the retries.
#include "serial/network/NetworkBackend.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

using namespace serial;
using namespace serial::network;

namespace {

using Ms = std::chrono::milliseconds;
const std::string device = "rfc2217://127.0.0.1:7000";
const std::string gone = "the server closed the connection";
const std::string fifo = "/tmp/hoistwise-ca-" + std::to_string(::getpid());

// Time moves only by advance(), which fires the timers due by then in order.
class VirtualClock final : public Clock {
public:
    using Time = std::chrono::steady_clock::time_point;
    Time now() const override { return now_; }
    std::unique_ptr<Timer> timer(std::function<void()> fire) override
    {
        return std::make_unique<VirtualTimer>(*this, std::move(fire));
    }
    long long ms() const { return std::chrono::duration_cast<Ms>(now_.time_since_epoch()).count(); }
    void advance(int ms)
    {
        const Time end = now_ + Ms(ms);
        for (;;) {
            auto next = std::min_element(timers_.begin(), timers_.end(), [](auto* a, auto* b) { return a->due < b->due; });
            if (next == timers_.end() || (*next)->due > end)
                break;
            now_ = std::exchange((*next)->due, Time::max());
            (*next)->fire();
        }
        now_ = end;
    }

private:
    struct VirtualTimer final : Timer {
        VirtualTimer(VirtualClock& c, std::function<void()> f) : clock(c), fire(std::move(f)) { clock.timers_.push_back(this); }
        ~VirtualTimer() override { std::erase(clock.timers_, this); }
        void start(int ms) override { due = clock.now_ + Ms(ms); }
        void stop() override { due = Time::max(); }
        VirtualClock& clock;
        std::function<void()> fire;
        Time due = Time::max();
    };
    Time now_;
    std::vector<VirtualTimer*> timers_;
};

enum class Server { Answers, Refuses, Silent, NotRfc2217 };

// One port's backend, its server and what it told, as "<ms> what".
struct Session {
    // A connection that the server answers as `server` says when its connect is made; like a
    // real one, it tells nothing once closed.
    struct FakeLink final : Link {
        FakeLink(Session& s, LinkListener& listener, int delayMs) : session(s), listener(listener), reply(s.clock.timer([&s, this] {
            if (s.server != Server::Silent && s.server != Server::NotRfc2217)
                s.server == Server::Answers ? this->listener.established(*this) : hangUp("the connection was refused");
        }))
        {
            reply->start(delayMs);
        }
        void close() override { closed = true; }
        void send(std::string_view) override {}
        std::size_t waitingToSend() const override { return 0; }
        std::string take(std::chrono::steady_clock::time_point&) override { return {}; }
        std::size_t available() const override { return 0; }
        void applySettings(const SerialSettings&) override {}
        bool carriesLineControl() const override { return true; }
        bool serverSpoke() const override { return session.server == Server::NotRfc2217; }
        void hangUp(const std::string& why)
        {
            if (!closed)
                listener.ended(*this, why);
        }
        Session& session;
        LinkListener& listener;
        std::unique_ptr<Clock::Timer> reply;
        bool closed = false;
    };

    VirtualClock clock;
    Server server = Server::Answers;
    std::vector<std::string> log;
    std::vector<std::shared_ptr<FakeLink>> links;
    NetworkBackend backend{[this](const NetworkEndpoint&, const SerialSettings&, LinkListener& listener, int delayMs) {
                               const bool beside = std::any_of(links.begin(), links.end(), [](auto& l) { return !l->closed; });
                               note(beside ? "connect beside another" : delayMs ? "connect after " + std::to_string(delayMs) : "connect");
                               return links.emplace_back(std::make_shared<FakeLink>(*this, listener, delayMs));
                           },
                           clock};

    Session()
    {
        // As the serial control does.
        backend.setEvents({
            .deviceLost = [this](const std::string& why) { note("lost: " + why), backend.watchForReturn(device); },
            .deviceBack = [this] { note("back"), backend.open(device, {}), backend.stopWatching(); },
            .openFailed = [this](const std::string& why) { note("failed: " + why); },
        });
    }
    void note(const std::string& what) { log.push_back(std::to_string(clock.ms()) + " " + what); }
    void open() { backend.open(device, {}); }
};

struct Case {
    const char* name;
    std::function<void(Session&)> steps;
    std::vector<std::string> told;
};

} // namespace

TEST(NetworkBackendTest, ConnectsRetriesAndGivesUpOnTime)
{
    const Case cases[] = {
        {"a refused connect is a failed open with the reason",
         [](Session& s) { s.server = Server::Refuses, s.open(), s.clock.advance(10); },
         {"0 connect", "0 failed: cannot connect: the connection was refused"}},
        {"a server that never answers fails the open after 10 s",
         [](Session& s) { s.server = Server::Silent, s.open(), s.clock.advance(20000); },
         {"0 connect", "10000 failed: cannot connect: no answer from 127.0.0.1:7000 within 10 s"}},
        {"a server that speaks but never answers the com-port option is told so after 10 s",
         [](Session& s) { s.server = Server::NotRfc2217, s.open(), s.clock.advance(20000); },
         {"0 connect", "10000 failed: cannot connect: the server at 127.0.0.1:7000 does not speak RFC 2217: is its "
                       "accepter `telnet(rfc2217)`?"}},
        {"after a loss the retries come 1, 2, 4, 8, 16 s apart, then every 30 s",
         [](Session& s) {
             s.open(), s.clock.advance(10), s.server = Server::Refuses, s.links.back()->hangUp(gone);
             s.clock.advance(100000);
         },
         {"0 connect", "10 lost: " + gone, "1010 connect", "3010 connect", "7010 connect", "15010 connect",
          "31010 connect", "61010 connect", "91010 connect"}},
        {"a retry the server does not answer is given 10 s, one at a time",
         [](Session& s) {
             s.open(), s.clock.advance(10), s.server = Server::Silent, s.links.back()->hangUp(gone);
             s.clock.advance(40000);
         },
         {"0 connect", "10 lost: " + gone, "1010 connect", "13010 connect", "27010 connect"}},
        {"a reopen the server took but did not answer is made again after 1 s",
         [](Session& s) {
             s.open(), s.clock.advance(10), s.backend.close(), s.server = Server::Silent, s.open();
             s.clock.advance(1000), s.server = Server::Answers, s.clock.advance(20000);
         },
         {"0 connect", "10 connect", "1010 connect after 250"}},
        {"a retry the server answers becomes the port's connection",
         [](Session& s) {
             s.open(), s.clock.advance(10), s.links.back()->hangUp(gone), s.clock.advance(2000);
             s.links.back()->hangUp(gone);
         },
         {"0 connect", "10 lost: " + gone, "1010 connect", "1010 back", "2010 lost: " + gone}},
        {"closing the port ends the retries and the one under way",
         [](Session& s) {
             s.open(), s.clock.advance(10), s.server = Server::Silent, s.links.back()->hangUp(gone);
             s.clock.advance(1500), s.backend.stopWatching(), s.backend.close(), s.clock.advance(100000);
             s.note(s.links.back()->closed ? "all closed" : "a retry still open");
         },
         {"0 connect", "10 lost: " + gone, "1010 connect", "101510 all closed"}},
        {"a ca= that is a FIFO is an open error before anything connects",
         [](Session& s) { ::mkfifo(fifo.c_str(), 0600), s.note(s.backend.open("rfc2217s://127.0.0.1:7000?ca=" + fifo, {}).text); },
         {"0 cannot connect: ca=" + fifo + ": is a FIFO, not a file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        c.steps(s);
        EXPECT_EQ(s.log, c.told);
    }
    ::unlink(fifo.c_str());
}
