#include "serial/network/NetworkLink.h"

#include "serial/network/GensioLoop.h"
#include "serial/network/PeerCertificate.h"
#include "serial/network/RefusalListener.h"
#include "serial/network/RemoteLineState.h"
#include "serial/network/ServerWords.h"
#include "serial/network/TelnetWatch.h"

#include "serial/OutsideText.h"
#include "serial/UiThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <gensio/gensio.h>
#include <gensio/sergensio.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <vector>

namespace serial::network {

namespace {

constexpr std::size_t writeChunk = 64 * 1024;
constexpr std::size_t serverTextLimit = 200;
constexpr auto roundPatience = std::chrono::seconds(3);
// gensio answers an unanswered request with a time-out after five seconds.
constexpr auto answerPatience = std::chrono::milliseconds(6000);
constexpr auto settleTime = std::chrono::milliseconds(150);

enum Field { Baud, DataBits, Parity, Stop };

unsigned parityCode(char parity)
{
    switch (parity) {
    case 'o': return SERGENSIO_PARITY_ODD;
    case 'e': return SERGENSIO_PARITY_EVEN;
    case 'm': return SERGENSIO_PARITY_MARK;
    case 's': return SERGENSIO_PARITY_SPACE;
    default: return SERGENSIO_PARITY_NONE;
    }
}

char parityLetter(unsigned code, char otherwise)
{
    switch (code) {
    case SERGENSIO_PARITY_NONE: return 'n';
    case SERGENSIO_PARITY_ODD: return 'o';
    case SERGENSIO_PARITY_EVEN: return 'e';
    case SERGENSIO_PARITY_MARK: return 'm';
    case SERGENSIO_PARITY_SPACE: return 's';
    default: return otherwise;
    }
}

// RFC 2217 numbers the stop bits 1, 2 and 3 for one and a half.
unsigned stopCode(StopBits stop)
{
    return stop == StopBits::Two ? 2 : stop == StopBits::OneAndHalf ? 3 : 1;
}

StopBits stopBits(unsigned code, StopBits otherwise)
{
    return code == 1 ? StopBits::One : code == 2 ? StopBits::Two : code == 3 ? StopBits::OneAndHalf : otherwise;
}

} // namespace

// The answers to one change of settings. A field the server leaves unanswered keeps this round
// from being told, never a later one.
struct NetworkLink::Round {
    SerialSettings answer;
    int due = 0;
    std::chrono::steady_clock::time_point asked = std::chrono::steady_clock::now();
};

// One request awaiting the server's answer; the link keeps it until answered or let go.
struct NetworkLink::Answer {
    NetworkLink* link;
    std::shared_ptr<Round> round;
    int field;
};

NetworkLink::NetworkLink(const NetworkEndpoint& endpoint, LinkListener& listener)
    : endpoint_(endpoint)
    , listener_(&listener)
{
}

NetworkLink::~NetworkLink() = default;

std::shared_ptr<Link> NetworkLink::connect(const NetworkEndpoint& endpoint, const SerialSettings& settings,
                                           LinkListener& listener, int delayMs)
{
    std::shared_ptr<NetworkLink> link(new NetworkLink(endpoint, listener));
    const auto start = [link, settings] { GensioLoop::instance().post([link, settings] { link->start(settings); }); };
    if (delayMs > 0 && QCoreApplication::instance())
        QTimer::singleShot(delayMs, QCoreApplication::instance(), start);
    else
        start();
    return link;
}

void NetworkLink::toWindow(std::function<void(LinkListener&, Link&)> call)
{
    // The link may be gone by then (the gensio thread can drop it last): it is looked for.
    postToUi(QCoreApplication::instance(), [self = weak_from_this(), call = std::move(call)] {
        if (const std::shared_ptr<NetworkLink> link = self.lock(); link && link->listener_)
            call(*link->listener_, *link);
    });
}

void NetworkLink::start(const SerialSettings& settings)
{
    asked_ = settings;
    if (ending_)
        return;
    GensioLoop& loop = GensioLoop::instance();
    loop.takeLog();   // what earlier connections left
    // The name is looked up here, on the gensio thread, so a slow name server never holds the window.
    int err = str_to_gensio(endpoint_.gensioString().c_str(), loop.os(), &NetworkLink::onEvent, this, &io_);
    if (err) {
        io_ = nullptr;
        ending_ = true;
        end(err);
        return;
    }
    keepAlive_ = shared_from_this();
    err = gensio_open(io_, [](gensio*, int err, void* self) { static_cast<NetworkLink*>(self)->opened(err); }, this);
    if (err) {
        readFailed(err);
        return;
    }
    // Reading from the start lets a server's refusal ("Port already in use") be heard before it
    // hangs up.
    gensio_set_read_callback_enable(io_, true);
}

void NetworkLink::opened(int err)
{
    if (ending_)
        return;
    if (err) {
        readFailed(err);
        return;
    }
    open_ = true;
    // Reading was asked for before the open; the open may have reset it.
    gensio_set_read_callback_enable(io_, true);
    sergensio* sio = gensio_to_sergensio(io_);
    lineControl_ = sio && endpoint_.lineControl();
    {
        std::lock_guard lock(mutex_);
        lineControlShared_ = lineControl_;
    }
    if (lineControl_) {
        // Ended from a task of its own, never from within the watch.
        const auto swallowing = [self = weak_from_this()] {
            GensioLoop::instance().post([self] {
                if (const std::shared_ptr<NetworkLink> link = self.lock())
                    link->swallowed();
            });
        };
        watch_ = std::make_unique<TelnetWatch>(io_, endpoint_.port, swallowing, [this] {
            std::lock_guard lock(mutex_);
            spokeShared_ = true;
        });
        // A server that turns the connection away (its port in use) agrees to RFC 2217 and hangs
        // up at once; settings asked before that would never be answered, and gensio loses what
        // it kept for the answers. They are asked once the connection has stood a moment.
        // What the window sends waits for them too, so that it leaves at the asked settings.
        settle_ = std::make_unique<LoopTimer>([this] {
            if (ending_)
                return;
            if (!round_)
                askSettings(asked_);
            flush();
        });
        settle_->start(settleTime);
        // As a local device opens: no flow control. DTR and RTS stay as the server raised them on
        // opening its device; gensio 2.6 mismatches the answers of later changes if asked for them.
        sergensio_flowcontrol(sio, SERGENSIO_FLOWCONTROL_NONE, nullptr, nullptr);
        sergensio_modemstate(sio, 0xff);
        sergensio_linestate(sio, SERGENSIO_LINESTATE_BREAK | SERGENSIO_LINESTATE_FRAMING_ERR
                                     | SERGENSIO_LINESTATE_PARITY_ERR | SERGENSIO_LINESTATE_OVERRUN_ERR);
    } else {
        settled_ = true;
        establishedTold_ = true;
        toWindow([](LinkListener& listener, Link& link) { listener.established(link); });
    }
    flush();
}

void NetworkLink::applySettings(const SerialSettings& settings)
{
    GensioLoop::instance().post([self = shared_from_this(), settings] {
        self->asked_ = settings;
        if (!self->open_ || !self->lineControl_ || self->ending_)
            return;
        // One change at a time: a server's answer is matched to the request by its kind only.
        // A change the server never fully answered gives way after a while.
        if (self->round_ && std::chrono::steady_clock::now() - self->round_->asked < roundPatience)
            self->queued_ = settings;
        else
            self->askSettings(settings);
    });
}

void NetworkLink::askSettings(const SerialSettings& settings)
{
    settled_ = true;
    sergensio* sio = gensio_to_sergensio(io_);
    // gensio calls back only while io_ exists, and so while the link holds itself.
    const auto done = [](sergensio*, int err, unsigned value, void* data) {
        auto* answer = static_cast<Answer*>(data);
            NetworkLink& link = *answer->link;
        const std::shared_ptr<Round> round = answer->round;
        const int field = answer->field;
        std::erase_if(link.answers_, [answer](const auto& a) { return a.get() == answer; });
        link.answered(*round, field, err, value);
        if (link.linger_ && link.answers_.empty())
            link.release();
    };
    auto round = std::make_shared<Round>();
    round->answer = settings;
    round_ = round;
    queued_.reset();
    const auto ask = [&](int field, auto call, unsigned value) {
        auto answer = std::make_unique<Answer>(Answer{this, round, field});
        if (call(sio, value, done, answer.get()) == 0) {
            answers_.push_back(std::move(answer));
            ++round->due;
        }
    };
    ask(Baud, sergensio_baud, static_cast<unsigned>(settings.baudRate));
    ask(DataBits, sergensio_datasize, static_cast<unsigned>(settings.dataBits));
    ask(Parity, sergensio_parity, parityCode(settings.parity));
    ask(Stop, sergensio_stopbits, stopCode(settings.stopBits));
    if (round->due == 0)
        round_.reset();
}

void NetworkLink::answered(Round& round, int field, int err, unsigned value)
{
    if (ending_ || &round != round_.get())
        return;
    if (watch_)
        watch_->passed();
    SerialSettings& answer = round.answer;
    if (!err) {
        switch (field) {
        case Baud: answer.baudRate = static_cast<int>(value); break;
        case DataBits: answer.dataBits = static_cast<int>(value); break;
        case Parity: answer.parity = parityLetter(value, answer.parity); break;
        case Stop: answer.stopBits = stopBits(value, answer.stopBits); break;
        }
    }
    if (!establishedTold_) {
        establishedTold_ = true;
        toWindow([](LinkListener& listener, Link& link) { listener.established(link); });
    }
    if (round.due > 0 && --round.due == 0) {
        const SerialSettings answered = answer;
        toWindow([answered](LinkListener& listener, Link& link) { listener.settingsAnswered(link, answered); });
        round_.reset();
        if (queued_)
            askSettings(*queued_);
    }
}

int NetworkLink::onEvent(gensio*, void* data, int event, int err, unsigned char* buf, std::size_t* len,
                         const char* const* aux)
{
    auto* self = static_cast<NetworkLink*>(data);
    switch (event) {
    case GENSIO_EVENT_READ: {
        if (err) {
            self->readFailed(err);
            return 0;
        }
        if (self->ending_ || !buf || !len || *len == 0)
            return 0;
        self->received(std::string_view(reinterpret_cast<const char*>(buf), *len));
        return 0;
    }
    case GENSIO_EVENT_WRITE_READY:
        self->flush();
        return 0;
    case GENSIO_EVENT_POSTCERT_VERIFY:
        return self->checkCertificate(err, aux && aux[0] ? aux[0] : nullptr);
    case GENSIO_EVENT_SER_MODEMSTATE:
    case GENSIO_EVENT_SER_LINESTATE: {
        if (!buf || self->ending_)
            return 0;
        if (self->watch_)
            self->watch_->passed();
        const unsigned state = *reinterpret_cast<unsigned*>(buf);
        const std::vector<int> codes = event == GENSIO_EVENT_SER_MODEMSTATE ? modemStateCodes(state) : lineStateCodes(state);
        for (int code : codes)
            self->toWindow([code](LinkListener& listener, Link& link) { listener.lineEvent(link, code); });
        return 0;
    }
    default:
        return GE_NOTSUP;
    }
}

void NetworkLink::received(std::string_view bytes)
{
    if (watch_)
        watch_->passed();
    bool tell = false;
    bool hold = true;
    {
        std::lock_guard lock(mutex_);
        in_.append(bytes);
        arrivedAt_ = std::chrono::steady_clock::now();
        tell = !receivedTold_;
        receivedTold_ = true;
        if (in_.size() > readHoldBytes && !readHeld_)
            readHeld_ = true;
        else
            hold = false;
    }
    if (hold)
        gensio_set_read_callback_enable(io_, false);
    if (tell)
        toWindow([](LinkListener& listener, Link& link) { listener.received(link); });
}

int NetworkLink::checkCertificate(int err, const char* why)
{
    if (err) {
        problem_ = "the server's certificate is not trusted";
        if (why && *why)
            problem_ += " (" + printable(why) + ")";
        problem_ += endpoint_.ca.empty() ? " by the system's certificate store" : " by " + printable(endpoint_.ca);
        return GE_NOTSUP;
    }
    char pem[16384];
    gensiods size = sizeof pem;
    if (gensio_control(io_, GENSIO_CONTROL_DEPTH_FIRST, GENSIO_CONTROL_GET, GENSIO_CONTROL_CERT, pem, &size) != 0) {
        problem_ = "the server's certificate cannot be read";
        return GE_AUTHREJECT;
    }
    problem_ = certificateHostProblem(std::string_view(pem, std::min<std::size_t>(size, sizeof pem)), endpoint_.host);
    tlsUp_ = problem_.empty();
    return problem_.empty() ? GE_NOTSUP : GE_AUTHREJECT;
}

void NetworkLink::send(std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    out_.append(bytes);
    if (flushPosted_)
        return;
    flushPosted_ = true;
    GensioLoop::instance().post([self = shared_from_this()] { self->flush(); });
}

void NetworkLink::flush()
{
    std::string chunk;
    {
        std::lock_guard lock(mutex_);
        flushPosted_ = false;
        if (!open_ || ending_ || !settled_)
            return;
        chunk = out_.substr(0, writeChunk);
    }
    while (!chunk.empty()) {
        gensiods taken = 0;
        if (const int err = gensio_write(io_, &taken, chunk.data(), chunk.size(), nullptr)) {
            readFailed(err);
            return;
        }
        std::lock_guard lock(mutex_);
        out_.erase(0, taken);
        if (taken < chunk.size()) {
            // The rest goes when gensio says it can take more.
            writeWaiting_ = true;
            gensio_set_write_callback_enable(io_, true);
            return;
        }
        chunk = out_.substr(0, writeChunk);
    }
    if (writeWaiting_) {
        writeWaiting_ = false;
        gensio_set_write_callback_enable(io_, false);
    }
}

std::size_t NetworkLink::waitingToSend() const
{
    std::lock_guard lock(mutex_);
    return out_.size();
}

std::string NetworkLink::take(std::chrono::steady_clock::time_point& arrivedAt)
{
    std::string bytes;
    bool resume = false;
    {
        std::lock_guard lock(mutex_);
        bytes.swap(in_);
        arrivedAt = arrivedAt_;
        receivedTold_ = false;
        resume = readHeld_;
    }
    if (resume)
        GensioLoop::instance().post([self = shared_from_this()] { self->resumeReading(); });
    return bytes;
}

void NetworkLink::resumeReading()
{
    {
        std::lock_guard lock(mutex_);
        if (!readHeld_ || !io_ || ending_ || in_.size() > readHoldBytes)
            return;
        readHeld_ = false;
    }
    gensio_set_read_callback_enable(io_, true);
}

std::size_t NetworkLink::available() const
{
    std::lock_guard lock(mutex_);
    return in_.size();
}

bool NetworkLink::carriesLineControl() const
{
    std::lock_guard lock(mutex_);
    return lineControlShared_;
}

void NetworkLink::swallowed()
{
    if (ending_)
        return;
    ending_ = true;
    problem_ = "the server at " + printable(endpoint_.address()) + " sends a telnet subnegotiation that never ends (over "
               + std::to_string(TelnetWatch::limitBytes) + " bytes without its end): the connection is dropped";
    end(GE_PROTOERR);
}

bool NetworkLink::serverSpoke() const
{
    std::lock_guard lock(mutex_);
    return spokeShared_;
}

void NetworkLink::readFailed(int err)
{
    if (ending_)
        return;
    ending_ = true;
    // TLS says only "protocol error"; what it logged says whether the server spoke TLS at all.
    const std::string logged = GensioLoop::instance().takeLog();
    if (endpoint_.encrypted() && err == GE_PROTOERR && problem_.empty()
        && (logged.find("wrong version number") != std::string::npos
            || logged.find("packet length too long") != std::string::npos))
        problem_ = "the server at " + printable(endpoint_.address()) + " is not speaking TLS";
    if (err == GE_REMCLOSE && !establishedTold_ && endpoint_.lineControl()
        && listenForRefusal()) {
        finish();
        return;
    }
    end(err);
}

// A server that turns us away before its telnet side is up says why to a plain connection.
bool NetworkLink::listenForRefusal()
{
    std::string stack = endpoint_.gensioString();
    stack.erase(0, stack.find(',') + 1);   // without the telnet layer
    refusal_ = RefusalListener::listen(stack, serverTextLimit, [self = weak_from_this()](const std::string& said) {
        if (const std::shared_ptr<NetworkLink> link = self.lock()) {
            link->serverText_ = said;
            link->end(GE_REMCLOSE);
        }
    });
    return refusal_ != nullptr;
}

void NetworkLink::end(int err)
{
    const std::string why = failureText(err);
    toWindow([why](LinkListener& listener, Link& link) { listener.ended(link, why); });
    finish();
}

void NetworkLink::close()
{
    listener_ = nullptr;
    GensioLoop::instance().post([self = shared_from_this()] {
        self->ending_ = true;
        if (self->refusal_)
            self->refusal_->stop();
        self->finish();
    });
}

void NetworkLink::finish()
{
    if (!io_)
        return;
    // gensio drops a request still unanswered at the free without calling back, and with it the
    // record it made for the call: the connection is let go once the answers are in or gensio has
    // given up on them (five seconds), whichever comes first.
    if (answers_.empty()) {
        release();
        return;
    }
    if (!linger_) {
        GensioLoop::instance().lingerBegins();
        linger_ = std::make_unique<LoopTimer>([this] { release(); });
        linger_->start(answerPatience);
    }
}

void NetworkLink::release()
{
    if (io_)
        releaseGensio(io_, [this] {
                    io_ = nullptr;
            watch_.reset();
            settle_.reset();
            answers_.clear();
            if (linger_)   // dropped after this call, which its own timer may have made
                GensioLoop::instance().post([timer = std::shared_ptr<LoopTimer>(std::move(linger_))] {
                    GensioLoop::instance().lingerEnds();
                });
            std::shared_ptr<NetworkLink> last = std::move(keepAlive_);
        });
}

std::string NetworkLink::failureText(int err) const
{
    if (!problem_.empty())
        return problem_;
    const std::string said = serverWords(serverText_);
    switch (err) {
    case GE_CONNREFUSE:
        return "the connection was refused: nothing answers at " + endpoint_.address();
    case GE_HOSTDOWN:
        return "the host " + endpoint_.host + " cannot be reached";
    case GE_NAME_ERROR:
    case GE_NAME_INVALID:
    case GE_UNKNOWN_NAME_ERROR:
    case GE_NAME_SERVER_FAILURE:
    case GE_NAME_NET_NOT_UP:
        return "the name " + endpoint_.host + " is not found (" + gensio_err_to_str(err) + ")";
    case GE_REMCLOSE:
        if (!said.empty())
            return "the server closed the connection, saying \"" + said + "\"";
        // TLS 1.3 lets the handshake finish before the server finds no client certificate and hangs up.
        if (!establishedTold_ && tlsUp_ && endpoint_.cert.empty())
            return "the server asks for a client certificate (it hung up once TLS was up): give cert= and key=";
        return establishedTold_ ? "the server closed the connection"
                                : "the server closed the connection before answering";
    default: {
        std::string text = gensio_err_to_str(err);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    }
    }
}

} // namespace serial::network
