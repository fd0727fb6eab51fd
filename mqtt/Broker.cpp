#include "mqtt/Broker.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <sys/stat.h>

namespace mqtt {

namespace {

constexpr int kKeepAlive = 30;

struct Library {
    Library() { mosquitto_lib_init(); }
    ~Library() { mosquitto_lib_cleanup(); }
};

} // namespace

Broker::Broker(Settings settings) : settings_(std::move(settings))
{
    static Library library;
    mosq_ = mosquitto_new(settings_.clientId.c_str(), true, this);
    mosquitto_connect_callback_set(mosq_, &Broker::connected);
    mosquitto_disconnect_callback_set(mosq_, &Broker::disconnected);
    mosquitto_publish_callback_set(mosq_, &Broker::published);
    mosquitto_message_callback_set(mosq_, &Broker::message);
    mosquitto_log_callback_set(mosq_, &Broker::logged);
    mosquitto_reconnect_delay_set(mosq_, 1, 10, true);
}

Broker::~Broker()
{
    *alive_ = false;
    if (started_) {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
    }
    mosquitto_destroy(mosq_);
}

std::string Broker::start()
{
    const BrokerAddress& a = settings_.address;
    if (!settings_.user.empty())
        mosquitto_username_pw_set(mosq_, settings_.user.c_str(), settings_.password.c_str());
    if (!settings_.willTopic.empty())
        mosquitto_will_set(mosq_, settings_.willTopic.c_str(), 7, "offline", 1, true);
    if (a.tls) {
        struct stat st {};
        const bool folder = !a.ca.empty() && ::stat(a.ca.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        const char* cafile = a.ca.empty() || folder ? nullptr : a.ca.c_str();
        const char* capath = a.ca.empty() ? "/etc/ssl/certs" : folder ? a.ca.c_str() : nullptr;
        if (const int rc = mosquitto_tls_set(mosq_, cafile, capath, nullptr, nullptr, nullptr); rc != MOSQ_ERR_SUCCESS)
            return "the broker's CA " + (a.ca.empty() ? std::string(capath) : a.ca) + " cannot be used: " +
                   mosquitto_strerror(rc);
    }
    if (const int rc = mosquitto_loop_start(mosq_); rc != MOSQ_ERR_SUCCESS)
        return std::string("cannot start the MQTT thread: ") + mosquitto_strerror(rc);
    started_ = true;
    // Refused or unreachable now is retried by the loop; only a bad argument is final.
    if (const int rc = mosquitto_connect_async(mosq_, a.host.c_str(), a.port, kKeepAlive); rc == MOSQ_ERR_INVAL)
        return "cannot connect to the broker " + a.host + ": " + mosquitto_strerror(rc);
    return {};
}

int Broker::publish(const std::string& topic, const std::string& payload, int qos, bool retain)
{
    if (!connected_)
        return -1;
    int mid = 0;
    const int rc = mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos,
                                     retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void Broker::subscribe(const std::string& topic) { mosquitto_subscribe(mosq_, nullptr, topic.c_str(), 1); }

void Broker::finish(const std::string& topic, const std::string& payload, int patience)
{
    if (!started_)
        return;
    int awaited = -1;
    bool done = false;
    if (connected_) {
        const auto before = onPublished;
        onPublished = [&](int mid) { done = done || mid == awaited; };
        awaited = publish(topic, payload, 1, true);
        QElapsedTimer clock;
        clock.start();
        while (awaited >= 0 && !done && clock.elapsed() < patience) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        onPublished = before;
    }
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    started_ = false;
}

void Broker::post(std::function<void(Broker&)> fn)
{
    const std::weak_ptr<bool> alive = alive_;
    QMetaObject::invokeMethod(
        &context_, [this, alive, fn = std::move(fn)] {
            if (!alive.expired())
                fn(*this);
        },
        Qt::QueuedConnection);
}

void Broker::connected(mosquitto*, void* self, int rc)
{
    static_cast<Broker*>(self)->post([rc](Broker& b) {
        if (rc != 0) {
            const std::string why = std::string("the broker refused the connection: ") + mosquitto_connack_string(rc);
            if (why != b.lastProblem_ && b.onProblem)
                b.onProblem(why, true);
            b.lastProblem_ = why;
            return;
        }
        b.connected_ = true;
        b.lastProblem_.clear();
        if (b.onConnected)
            b.onConnected();
    });
}

void Broker::disconnected(mosquitto*, void* self, int rc)
{
    static_cast<Broker*>(self)->post([rc](Broker& b) {
        const bool was = b.connected_;
        b.connected_ = false;
        if (was && b.onDisconnected)
            b.onDisconnected(rc == 0 ? "disconnected" : mosquitto_strerror(rc));
    });
}

void Broker::published(mosquitto*, void* self, int mid)
{
    static_cast<Broker*>(self)->post([mid](Broker& b) {
        if (b.onPublished)
            b.onPublished(mid);
    });
}

void Broker::message(mosquitto*, void* self, const mosquitto_message* msg)
{
    std::string topic = msg->topic ? msg->topic : "";
    std::string payload(static_cast<const char*>(msg->payload), static_cast<std::size_t>(std::max(msg->payloadlen, 0)));
    static_cast<Broker*>(self)->post([topic = std::move(topic), payload = std::move(payload)](Broker& b) {
        if (b.onMessage)
            b.onMessage(topic, payload);
    });
}

// libmosquitto's own words on why a connection fails (refused, TLS, no such host), once each.
void Broker::logged(mosquitto*, void* self, int level, const char* text)
{
    if (level != MOSQ_LOG_ERR && level != MOSQ_LOG_WARNING)
        return;
    static_cast<Broker*>(self)->post([why = std::string(text)](Broker& b) {
        if (why == b.lastProblem_)
            return;
        b.lastProblem_ = why;
        if (b.onProblem)
            b.onProblem("broker " + b.settings_.address.host + ":" + std::to_string(b.settings_.address.port) + ": " + why,
                        false);
    });
}

} // namespace mqtt
