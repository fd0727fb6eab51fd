#include "serial/device/QtSerialBackend.h"

#include "serial/OutsideText.h"
#include "serial/UiThread.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace serial::device {

namespace {

QSerialPort::Parity qtParity(char parity)
{
    switch (parity) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::DataBits qtDataBits(int bits)
{
    switch (bits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
    }
}

// Names the holder of the device from the UUCP-style lock file that Qt SerialPort and other
// terminal programs leave in the lock directory.
std::string inUseText(const std::string& devicePath)
{
    std::string name = devicePath.rfind("/dev/", 0) == 0 ? devicePath.substr(5) : devicePath;
    for (char& c : name)
        if (c == '/')
            c = '_';
    for (const char* dir : {"/var/lock", "/run/lock", "/var/spool/locks", "/var/spool/uucp", "/tmp", "/var/tmp"}) {
        std::ifstream lockFile(std::string(dir) + "/LCK.." + name);
        long pid = 0;
        if (!(lockFile >> pid) || pid <= 0)
            continue;
        if (pid == static_cast<long>(::getpid()))
            return "is in use (already open in this program)";
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string program;
        if (std::getline(comm, program) && !program.empty())
            return "is in use by another program (" + printable(program) + ", process " + std::to_string(pid) + ")";
    }
    return "is in use by another program";
}

int clampToInt(qint64 n)
{
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

} // namespace

QtSerialBackend::QtSerialBackend()
{
    linePoll_.setInterval(linePollMs);
    QObject::connect(&linePoll_, &QTimer::timeout, &port_, [this] { pollLineCounters(); });
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] {
        readErrorsInARow_ = 0;
        noteArrival();
        queueReadyRead();
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { checkPortError(error); });
}

QtSerialBackend::~QtSerialBackend()
{
    watch_.stop();
    close();
}

void QtSerialBackend::watchForReturn(const std::string& device)
{
    watch_.start(device, [this] { raise(&Events::deviceBack); });
}

void QtSerialBackend::stopWatching()
{
    watch_.stop();
}

bool QtSerialBackend::watching() const
{
    return watch_.active();
}

CommError QtSerialBackend::open(const std::string& device, const SerialSettings& settings)
{
    if (port_.isOpen())
        return {errPortAlreadyOpen, "is already open"};
    if (CommError refused = check(settings))
        return refused;

    // Lock files and the claim go by the real device, whatever name the port was given.
    char* real = ::realpath(device.c_str(), nullptr);
    if (!real) {
        const int error = errno;
        return {error == ENOENT ? errNoSuchPort : errDeviceFailure, std::strerror(error)};
    }
    const std::string path(real);
    std::free(real);

    if (CommError claimError = device_.claim(path)) {
        if (claimError.number == errPortInUse)
            claimError.text = inUseText(path);
        return claimError;
    }

    port_.setPortName(QString::fromStdString(path));
    setOnPort(settings);   // kept by Qt until the open, which reports what the device refuses
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);   // never stop reading: nothing received may be lost
    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_.error();
        const std::string text = port_.errorString().toStdString();
        port_.clearError();
        device_.release();
        // The device itself opened for the claim, so a permission error here is Qt's lock file.
        if (error == QSerialPort::PermissionError)
            return {errPortInUse, inUseText(path)};
        if (error == QSerialPort::UnsupportedOperationError)
            return settingsRefused(settings, text);
        return {errDeviceFailure, text};
    }

    if (const std::string why = differenceFromDriver(settings); !why.empty()) {
        close();
        return settingsRefused(settings, why);
    }
    applied_ = settings;
    readErrorsInARow_ = 0;
    counters_ = device_.lineCounters();
    if (counters_)
        linePoll_.start();
    return {};
}

void QtSerialBackend::close()
{
    linePoll_.stop();
    counters_.reset();
    if (port_.isOpen()) {
        readQtBuffer(kept_);
        kept_ += device_.takeInput();
        device_.discardOutput();   // a close never waits for a slow or stalled line
        port_.close();
        port_.clearError();
    }
    device_.release();
}

bool QtSerialBackend::isOpen() const
{
    return port_.isOpen();
}

CommError QtSerialBackend::apply(const SerialSettings& settings)
{
    if (!port_.isOpen())
        return {errPortNotOpen, "is not open"};
    if (CommError refused = check(settings))
        return refused;

    std::string why = setOnPort(settings);
    if (why.empty())
        why = differenceFromDriver(settings);
    if (!why.empty()) {
        setOnPort(applied_);
        return settingsRefused(settings, why);
    }
    applied_ = settings;
    return {};
}

std::optional<SerialSettings> QtSerialBackend::settingsInForce() const
{
    return port_.isOpen() ? device_.currentSettings() : std::nullopt;
}

std::string QtSerialBackend::setOnPort(const SerialSettings& settings)
{
    const bool ok = port_.setBaudRate(settings.baudRate)
        && port_.setDataBits(qtDataBits(settings.dataBits))
        && port_.setParity(qtParity(settings.parity))
        && port_.setStopBits(settings.stopBits == StopBits::Two ? QSerialPort::TwoStop : QSerialPort::OneStop);
    if (ok)
        return {};
    std::string why = port_.errorString().toStdString();
    port_.clearError();
    return why;
}

// Some drivers take a request without complaint and run with something else; read back what
// they really do.
std::string QtSerialBackend::differenceFromDriver(const SerialSettings& wanted) const
{
    const std::optional<SerialSettings> actual = device_.currentSettings();
    if (!actual)
        return {};
    // Framing means nothing on a pseudo-terminal (a simulator's line): the bytes pass as they are.
    const bool framed = !device_.isPseudoTerminal();
    if (framed && actual->dataBits != wanted.dataBits)
        return "the device does not take " + std::to_string(wanted.dataBits) + " data bits";
    if (framed && actual->parity != wanted.parity)
        return std::string("the device does not take parity ") + wanted.parity;
    if (actual->stopBits != wanted.stopBits)
        return "the device does not take these stop bits";
    // A UART tolerates about 2% between the two ends; more than that is a different rate.
    const long long difference = std::llabs(static_cast<long long>(actual->baudRate) - wanted.baudRate);
    if (difference * 50 > wanted.baudRate)
        return "the device cannot run at " + std::to_string(wanted.baudRate) + " baud (it offers "
            + std::to_string(actual->baudRate) + ")";
    return {};
}

CommError QtSerialBackend::write(std::string_view bytes)
{
    if (!port_.isOpen())
        return {errPortNotOpen, "is not open"};
    if (bytes.empty())
        return {};
    if (port_.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        const std::string text = port_.errorString().toStdString();
        port_.clearError();
        return {errDeviceFailure, text};
    }
    return {};
}

void QtSerialBackend::readQtBuffer(std::string& into)
{
    // Asking for one byte more than Qt holds makes it look at the device again, which also
    // re-arms its notifier if a transient error had stopped it.
    const qint64 wanted = port_.bytesAvailable() + 1;
    const size_t start = into.size();
    into.resize(start + static_cast<size_t>(wanted));
    const qint64 got = port_.read(into.data() + start, wanted);
    into.resize(start + static_cast<size_t>(got > 0 ? got : 0));
}

std::string QtSerialBackend::readAll()
{
    std::string bytes = std::move(kept_);
    kept_.clear();
    if (port_.isOpen())
        readQtBuffer(bytes);
    return bytes;
}

int QtSerialBackend::bytesAvailable() const
{
    const qint64 inQt = port_.isOpen() ? port_.bytesAvailable() : 0;
    return clampToInt(static_cast<qint64>(kept_.size()) + inQt);
}

int QtSerialBackend::bytesWaitingToSend() const
{
    if (!port_.isOpen())
        return 0;
    return clampToInt(port_.bytesToWrite() + device_.outputQueue());
}

// Qt emits readyRead from inside its notifier; the control's handlers (which may close or
// reopen the port) run from the event loop instead, once per batch of arrivals.
void QtSerialBackend::queueReadyRead()
{
    postOnce(readyReadQueued_, [this] {
        if (bytesAvailable() > 0)
            raise(&Events::readyRead);
    });
}

// Posts `fn` to the window's thread unless one posted with the same flag is still waiting.
void QtSerialBackend::postOnce(bool& queued, std::function<void()> fn)
{
    if (queued)
        return;
    queued = true;
    postToUi(&port_, [&queued, fn = std::move(fn)] {
        queued = false;
        fn();
    });
}

void QtSerialBackend::checkPortError(QSerialPort::SerialPortError error)
{
    if (!port_.isOpen())
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError
        && error != QSerialPort::WriteError)
        return;
    // A hung-up terminal reads as end of file, which Qt reports as a read error without ever
    // disabling its notifier: it would fire again at once, for ever.
    if (device_.hungUp() || ++readErrorsInARow_ > 50) {
        queueDeviceLost();
        return;
    }
    // A transient failure (EAGAIN) that made Qt stop reading: start it again.
    if (error == QSerialPort::ResourceError)
        postToUi(&port_, [this] {
            if (!port_.isOpen())
                return;
            const std::size_t before = kept_.size();
            readQtBuffer(kept_);
            if (kept_.size() > before)
                noteArrival();
            if (!kept_.empty())
                queueReadyRead();
        });
}

void QtSerialBackend::queueDeviceLost()
{
    // Closing inside Qt's own notifier would delete it under its feet.
    postOnce(lossQueued_, [this] {
        if (!port_.isOpen())
            return;
        const std::string text = device_.hangUpText();
        close();
        raise(&Events::deviceLost, text);
    });
}

void QtSerialBackend::pollLineCounters()
{
    const std::optional<LineCounters> now = device_.lineCounters();
    if (!now || !counters_) {
        linePoll_.stop();
        if (device_.hungUp())
            queueDeviceLost();
        return;
    }
    const LineCounters before = *counters_;
    counters_ = now;
    for (const int code : lineEventCodes(before, *now)) {
        if (!port_.isOpen() || !events().lineEvent)
            return;   // a handler closed the port
        raise(&Events::lineEvent, code);
    }
}

} // namespace serial::device
