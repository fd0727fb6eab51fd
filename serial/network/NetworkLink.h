#pragma once
// One connection to a serial server, made and run on the gensio thread. The window's thread
// hands it bytes and settings and hears from it through its listener, which is always called on
// the window's thread, never while a gensio call is under way.
#include "serial/network/Link.h"

#include <mutex>
#include <memory>
#include <optional>
#include <vector>

struct gensio;

namespace serial::network {

class RefusalListener;
class LoopTimer;
class TelnetWatch;

class NetworkLink final : public Link, public std::enable_shared_from_this<NetworkLink> {
public:
    // A Connector: starts connecting, after `delayMs`.
    static std::shared_ptr<Link> connect(const NetworkEndpoint& endpoint, const SerialSettings& settings,
                                         LinkListener& listener, int delayMs = 0);
    ~NetworkLink() override;

    void close() override;
    void send(std::string_view bytes) override;
    std::size_t waitingToSend() const override;
    std::string take(std::chrono::steady_clock::time_point& arrivedAt) override;
    std::size_t available() const override;
    void applySettings(const SerialSettings& settings) override;
    bool carriesLineControl() const override;
    bool serverSpoke() const override;

    // Above this much unread input the link stops reading until the window catches up; the
    // server's own buffer and TCP hold the rest, so nothing is lost.
    static constexpr std::size_t readHoldBytes = 1 << 20;

    struct Round;
    struct Answer;

private:
    NetworkLink(const NetworkEndpoint& endpoint, LinkListener& listener);

    static int onEvent(gensio* io, void* self, int event, int err, unsigned char* buf, std::size_t* len,
                       const char* const* aux);
    void start(const SerialSettings& settings);
    void opened(int err);
    void askSettings(const SerialSettings& settings);
    void answered(Round& round, int field, int err, unsigned value);
    void received(std::string_view bytes);
    void flush();
    void readFailed(int err);
    bool listenForRefusal();
    int checkCertificate(int err, const char* why);
    // The connection ended on its own: the window hears why and the connection is let go.
    void end(int err);
    void finish();
    void release();
    void resumeReading();
    void swallowed();
    // Runs `call` with the listener on the window's thread, unless the link was closed meanwhile.
    void toWindow(std::function<void(LinkListener&, Link&)> call);
    std::string failureText(int err) const;

    const NetworkEndpoint endpoint_;
    LinkListener* listener_;   // window's thread only; null once closed

    // The gensio thread only.
    gensio* io_ = nullptr;
    std::shared_ptr<NetworkLink> keepAlive_;   // held while io_ exists
    std::shared_ptr<RefusalListener> refusal_;
    std::unique_ptr<TelnetWatch> watch_;
    std::unique_ptr<LoopTimer> settle_;   // the first settings are asked when it runs out
    std::unique_ptr<LoopTimer> linger_;   // while unanswered requests hold the release back
    bool open_ = false;
    bool ending_ = false;
    bool establishedTold_ = false;
    bool tlsUp_ = false;   // the handshake is done and the server's certificate taken
    bool lineControl_ = false;
    bool settled_ = false;   // the first settings were asked: what the window sends may go
    bool writeWaiting_ = false;
    std::string problem_;   // what went wrong, in our words, ahead of gensio's code
    // What the refusal listener heard; data of the connection itself is the controller's, never
    // the server's words.
    std::string serverText_;
    SerialSettings asked_;
    std::shared_ptr<Round> round_;            // the change the server is answering
    std::vector<std::unique_ptr<Answer>> answers_;
    std::optional<SerialSettings> queued_;    // the change asked for meanwhile

    mutable std::mutex mutex_;   // guards what both threads touch
    std::string in_;
    std::chrono::steady_clock::time_point arrivedAt_;
    std::string out_;
    bool receivedTold_ = false;
    bool readHeld_ = false;
    bool flushPosted_ = false;
    bool lineControlShared_ = true;
    bool spokeShared_ = false;
};

} // namespace serial::network
