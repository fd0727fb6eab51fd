#pragma once
// Ports on a serial server (ser2net and the like): RFC 2217, RFC 2217 over TLS, or raw TCP,
// through libgensio on its own thread. Opening starts the connect and returns at once; the
// window hears later whether it worked (onOpenFailed), and a connection the server ends takes
// the same path as an unplugged device, with reconnect attempts from 1 s apart up to 30 s.
#include "serial/NetworkEndpoint.h"
#include "serial/network/NetworkLink.h"
#include "serial/SerialBackend.h"

#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

namespace serial::network {

class NetworkBackend final : public SerialBackend {
public:
    NetworkBackend();
    ~NetworkBackend() override;

    CommError open(const std::string& device, const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return link_ != nullptr; }
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

    static constexpr int connectTimeoutMs = 10000;
    static constexpr int firstRetryMs = 1000;
    static constexpr int lastRetryMs = 30000;

private:
    std::shared_ptr<NetworkLink> connect(const NetworkEndpoint& endpoint, const SerialSettings& settings, int id,
                                         int delayMs = 0);
    void established(int id);
    void ended(int id, const std::string& why);
    bool reopenedJustNow() const;
    void connectAgain();
    void connectTimedOut();
    void tryReturn();
    void retryLater();
    void dropProbe();
    // Takes what the link received into kept_, with the time it came.
    void keep(NetworkLink& link);
    void notice(bool& told, const std::string& text);

    NetworkEndpoint endpoint_;
    std::string device_;   // the mapped name the port was opened by
    std::string closedDevice_;   // the last connection this port closed, and when
    std::chrono::steady_clock::time_point closedAt_;
    std::shared_ptr<NetworkLink> link_;   // the open port's connection
    int linkId_ = 0;
    bool linkUp_ = false;
    // A reconnect attempt after a loss; once the server answers it becomes the port's connection.
    std::shared_ptr<NetworkLink> probe_;
    int probeId_ = 0;
    bool probeUp_ = false;
    int nextId_ = 0;
    std::string watchedDevice_;
    bool watching_ = false;
    int retryMs_ = firstRetryMs;
    QTimer connectTimer_;
    QTimer probeTimer_;
    QTimer retryTimer_;
    QTimer stallTimer_;   // a reopen the server has taken but not answered is made again
    SerialSettings settings_;
    std::string kept_;   // received before the port closed, still to be read
    bool clearTold_ = false;
    bool noLineControlTold_ = false;
};

} // namespace serial::network
