#pragma once
// One connection to a serial server, made and run on the gensio thread. The window's thread
// hands it bytes and settings and hears from it through Events, which are always called on the
// window's thread (queued to the application object), never while a gensio call is under way.
#include "serial/NetworkEndpoint.h"
#include "serial/SerialSettings.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct gensio;

namespace serial::network {

class NetworkLink : public std::enable_shared_from_this<NetworkLink> {
public:
    struct Events {
        // The server answered: for RFC 2217 its first answer to the settings, for TCP the connect.
        std::function<void()> established;
        // The connection could not be made or has ended; the text says why.
        std::function<void(const std::string& why)> ended;
        std::function<void()> received;
        // A line event or error code from the server's modem-state or line-state report.
        std::function<void(int code)> lineEvent;
        // Every setting of a change has been answered; these are the values the far port runs with.
        std::function<void(const SerialSettings& answered)> settingsAnswered;
    };

    // Starts connecting, after `delayMs`, with `settings` to be asked for once the server answers.
    // Bytes sent meanwhile wait for the connection.
    static std::shared_ptr<NetworkLink> connect(const NetworkEndpoint& endpoint, const SerialSettings& settings,
                                                Events events, int delayMs = 0);
    ~NetworkLink();

    // Stops every event and closes the connection in the background. Bytes not yet sent are dropped.
    void close();

    void send(std::string_view bytes);
    // Bytes not yet handed to the network.
    std::size_t waitingToSend() const;
    // `arrivedAt`: when the latest of the bytes taken came in.
    std::string take(std::chrono::steady_clock::time_point& arrivedAt);
    std::size_t available() const;
    // Asks the server for these settings (RFC 2217 only; answered through settingsAnswered).
    void applySettings(const SerialSettings& settings);
    // False when the server takes no line control (tcp://, or a telnet server without RFC 2217).
    bool carriesLineControl() const;

    // Above this much unread input the link stops reading until the window catches up; the
    // server's own buffer and TCP hold the rest, so nothing is lost.
    static constexpr std::size_t readHoldBytes = 1 << 20;

    NetworkLink(const NetworkEndpoint& endpoint, Events events);   // use connect()
    struct Round;

private:
    static int onEvent(gensio* io, void* self, int event, int err, unsigned char* buf, std::size_t* len,
                       const char* const* aux);
    void start(const SerialSettings& settings);
    void opened(int err);
    void askSettings(const SerialSettings& settings);
    void answered(Round& round, int field, int err, unsigned value);
    void flush();
    void readFailed(int err);
    bool listenForRefusal();
    static int onRefusalEvent(gensio* io, void* self, int event, int err, unsigned char* buf, std::size_t* len,
                              const char* const* aux);
    void refusalHeard();
    int checkCertificate(int err, const char* why);
    void finish();
    void resumeReading();
    // Runs `call` with the events on the window's thread, unless the link was closed meanwhile.
    void toWindow(std::function<void(Events&)> call);
    std::string failureText(int err) const;

    const NetworkEndpoint endpoint_;
    Events events_;   // window's thread only; emptied by close()
    bool closedByWindow_ = false;   // window's thread only

    // The gensio thread only.
    gensio* io_ = nullptr;
    std::shared_ptr<NetworkLink> keepAlive_;   // held while io_ exists
    gensio* refusalIo_ = nullptr;   // a plain connection hearing why the server turned us away
    std::shared_ptr<NetworkLink> refusalKeepAlive_;
    bool open_ = false;
    bool ending_ = false;
    bool establishedTold_ = false;
    bool lineControl_ = false;
    bool writeWaiting_ = false;
    std::string tlsProblem_;
    std::string serverText_;   // the first words of the server, for a refusal
    SerialSettings asked_;
    std::shared_ptr<Round> round_;            // the change the server is answering
    std::optional<SerialSettings> queued_;    // the change asked for meanwhile

    mutable std::mutex mutex_;   // guards what both threads touch
    std::string in_;
    std::chrono::steady_clock::time_point arrivedAt_;
    std::string out_;
    bool receivedTold_ = false;
    bool readHeld_ = false;
    bool flushPosted_ = false;
    bool lineControlShared_ = true;
};

} // namespace serial::network
