#pragma once
// Ports on a serial server (ser2net and the like): RFC 2217, RFC 2217 over TLS, or raw TCP,
// through libgensio on its own thread. Opening starts the connect and returns at once; the
// window hears later whether it worked (openFailed), and a connection the server ends takes
// the same path as an unplugged device, with reconnect attempts from 1 s apart up to 30 s.
#include "serial/NetworkEndpoint.h"
#include "serial/SerialBackend.h"
#include "serial/network/Clock.h"
#include "serial/network/Link.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace serial::network {

class NetworkBackend final : public SerialBackend, private LinkListener {
public:
    // Connections come from `connector` (gensio's when empty), timers from `clock`.
    explicit NetworkBackend(Connector connector = {}, Clock& clock = Clock::real());
    ~NetworkBackend() override;

    CommError open(const std::string& device, const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return link_.link != nullptr; }
    // The server decides what its port can run with, and answers with what it took.
    CommError check(const SerialSettings&) const override { return {}; }
    CommError apply(const SerialSettings& settings) override;
    CommError write(std::string_view bytes) override;
    std::string readAll() override;
    int bytesAvailable() const override;
    // What has not yet been handed to the network.
    int bytesWaitingToSend() const override;
    void watchForReturn(const std::string& device) override;
    void stopWatching() override;
    bool watching() const override { return watching_; }
    int nextTryMs() const override;
    bool connecting() const override { return link_.link && !link_.up; }
    bool answersSettings() const override { return true; }

    static constexpr int connectTimeoutMs = 10000;
    static constexpr int firstRetryMs = 1000;
    static constexpr int lastRetryMs = 30000;

private:
    // One connection being made or in use, and whether the server has answered it yet.
    struct Attempt {
        std::shared_ptr<Link> link;
        bool up = false;
        bool is(const Link& other) const { return link.get() == &other; }
    };

    void established(Link& link) override;
    void ended(Link& link, const std::string& why) override;
    void received(Link& link) override;
    void lineEvent(Link& link, int code) override;
    void settingsAnswered(Link& link, const SerialSettings& answered) override;

    Attempt connect(const NetworkEndpoint& endpoint, int delayMs = 0);
    bool reopenedJustNow() const;
    void connectAgain();
    void connectTimedOut();
    void tryReturn();
    void retryLater();
    void dropProbe();
    // Takes what the link received into kept_, with the time it came.
    void keep(Link& link);
    void notice(bool& told, const std::string& text);
    void tellAbout(const Link& link);

    Connector connector_;
    Clock& clock_;
    NetworkEndpoint endpoint_;
    std::string device_;   // the mapped name the port was opened by
    std::string closedDevice_;   // the last connection this port closed, and when
    std::chrono::steady_clock::time_point closedAt_;
    Attempt link_;    // the open port's connection
    Attempt probe_;   // a reconnect attempt after a loss; once the server answers it becomes link_
    std::string watchedDevice_;
    bool watching_ = false;
    int retryMs_ = firstRetryMs;
    std::chrono::steady_clock::time_point nextTryAt_;
    std::unique_ptr<Clock::Timer> connectTimer_;
    std::unique_ptr<Clock::Timer> probeTimer_;
    std::unique_ptr<Clock::Timer> retryTimer_;
    std::unique_ptr<Clock::Timer> stallTimer_;   // a reopen the server has taken but not answered is made again
    std::unique_ptr<Clock::Timer> takenOverTimer_;   // tells what came while a taken-over attempt was one
    SerialSettings settings_;
    std::optional<SerialSettings> lastOpened_;   // what the port was last opened with, for a change made by reopening
    std::string kept_;   // received before the port closed, still to be read
    bool clearTold_ = false;
    bool noLineControlTold_ = false;
};

} // namespace serial::network
