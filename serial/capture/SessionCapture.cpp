#include "serial/capture/SessionCapture.h"

#include "serial/capture/CaptureFolder.h"
#include "serial/capture/CaptureFormat.h"
#include "serial/capture/CaptureWriter.h"
#include "serial/OutsideText.h"
#include "serial/UiThread.h"

#include <QObject>

#include <algorithm>

namespace serial::capture {

SessionCapture::SessionCapture(CaptureSettings settings)
    : settings_(std::move(settings)), context_(std::make_unique<QObject>())
{
}

SessionCapture::~SessionCapture()
{
    // The writing thread ends before the object its reports go through.
    writer_.reset();
}

void SessionCapture::session(const std::string& port, const std::string& device, const std::string& settings)
{
    if (port != port_) {
        writer_.reset();
        stem_.clear();
        refused_ = false;
        port_ = port;
    }
    if (!writer_ && !refused_)
        start(port, device, settings);
}

void SessionCapture::opened(const std::string& port, const std::string& device, const std::string& settings)
{
    session(port, device, settings);
    named(kEvent, kOpen, port + " " + device + " " + settings);
}

void SessionCapture::failed(const std::string& port, const std::string& device, const std::string& settings,
                            const std::string& why)
{
    session(port, device, settings);
    named(kEvent, kFailed, port + " " + device + ": " + why);
}

void SessionCapture::start(const std::string& port, const std::string& device, const std::string& settings)
{
    const auto now = std::chrono::system_clock::now();
    std::string error;
    auto files = createCapture(settings_.folder, settings_.program, port, now, error);
    if (!files) {
        refused_ = true;
        stopped(error);
        return;
    }
    stem_ = files->paths.stem;
    writer_ = std::make_unique<CaptureWriter>(files->timingFd, files->paths.timing, files->dataFd, files->paths.data);
    // Reports from the writing thread reach the UI thread through the context object, which
    // dies with this capture (after the writing thread): a report after that is dropped.
    writer_->onFailed = [this](const std::string& text) { postToUi(context_.get(), [this, text] { stopped(text); }); };
    const std::string folder = settings_.folder;
    const long long limit = settings_.limitBytes;
    const std::string stem = stem_;
    // The folder's size: measured (and pruned) now, then kept up to date as this session grows;
    // measured again only when it passes the cap.
    auto total = std::make_shared<long long>(pruneCaptures(folder, limit, stem));
    auto counted = std::make_shared<long long>(0);
    CaptureWriter* writer = writer_.get();
    writer_->onWritten = [folder, limit, stem, total, counted, writer](long long written) {
        *total += written - *counted;
        *counted = written;
        if (*total > limit)
            *total = pruneCaptures(folder, limit, stem);
        if (*total > limit)
            writer->fail(printable(stem) + ": the capture folder's limit of " + captureLimitText(limit) + " is reached " +
                         (written > limit ? std::string("by this session alone")
                                          : "by this session together with sessions other programs are writing in " +
                                                printable(folder)));
    };

    last_ = std::chrono::steady_clock::now();
    const std::string startText = startTimeText(now);
    writer_->add(namedLine(kHeader, 0, "START_TIME", startText));
    writer_->add(namedLine(kHeader, 0, "PROGRAM", settings_.program));
    writer_->add(namedLine(kHeader, 0, "VERSION", settings_.version));
    writer_->add(namedLine(kHeader, 0, "PORT", port));
    writer_->add(namedLine(kHeader, 0, "DEVICE", device));
    writer_->add(namedLine(kHeader, 0, "SETTINGS", settings));
    writer_->add(namedLine(kHeader, 0, "TIMING_LOG", files->paths.timing));
    writer_->add(namedLine(kHeader, 0, "OUTPUT_LOG", files->paths.data));
    writer_->add(namedLine(kHeader, 0, "INPUT_LOG", files->paths.data));
    writer_->add({}, dataHeaderLine(startText, "PROGRAM=\"" + settings_.program + "\" PORT=\"" + port +
                                                   "\" DEVICE=\"" + device + "\""));
}

long long SessionCapture::sinceLast(std::chrono::steady_clock::time_point at)
{
    // Bytes that arrived before the record last written are put with it: delays never go back.
    const long long micros = std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(at - last_).count());
    // The next delay counts from this record's whole microsecond, so the delays add up to the
    // real time and never drift.
    last_ += std::chrono::microseconds(micros);
    return micros;
}

void SessionCapture::named(char kind, std::string_view name, std::string_view value)
{
    if (writer_ && !writer_->failed())
        writer_->add(namedLine(kind, sinceLast(), name, value));
}

void SessionCapture::bytes(char kind, std::string_view data, std::chrono::steady_clock::time_point at)
{
    if (writer_ && !writer_->failed() && !data.empty())
        writer_->add(bytesLine(kind, sinceLast(at), data.size()), data);
}

void SessionCapture::closed()
{
    named(kEvent, kClose, port_);
    // The program may end right after its port closes (Exit, a signal): the session's end is
    // written before the close returns.
    if (writer_)
        writer_->flush();
}
void SessionCapture::received(std::string_view data, std::chrono::steady_clock::time_point arrivedAt)
{
    bytes(kReceived, data, arrivedAt);
}
void SessionCapture::sent(std::string_view data) { bytes(kSent, data); }
void SessionCapture::lineEvent(int code) { named(kEvent, eventName(code), std::to_string(code)); }
void SessionCapture::settingsChanged(const std::string& settings) { named(kEvent, kSettings, settings); }
void SessionCapture::lost(const std::string& text) { named(kEvent, kLost, text); }
void SessionCapture::reconnected(const std::string& text) { named(kEvent, kReconnect, text); }

void SessionCapture::stopped(const std::string& why)
{
    if (onStopped)
        onStopped("Capture stopped: " + why);
}

} // namespace serial::capture
