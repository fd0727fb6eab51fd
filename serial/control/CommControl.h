#pragma once
// The serial control of the car terminals and the bench: port number, settings string, open
// state, output, input, buffer sizes and counts, and the OnComm event with its code.
//
// Everything runs on the UI thread. onComm is never re-entered: an event that arises while a
// handler runs (say, behind a message box it shows) is delivered in order as soon as the handler
// returns. input() and the counts can be read at any time.
#include "serial/CommError.h"
#include "serial/CommEvents.h"
#include "serial/SerialBackend.h"
#include "serial/SerialSettings.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace serial::capture {
struct CaptureSettings;
class SessionCapture;
}

namespace serial::control {

class CommControl {
public:
    // Without a backend the control drives real ports: local devices through Qt SerialPort,
    // network ports (rfc2217://, rfc2217s://, tcp://) through gensio.
    explicit CommControl(std::unique_ptr<SerialBackend> backend = nullptr);
    ~CommControl();
    CommControl(const CommControl&) = delete;
    CommControl& operator=(const CommControl&) = delete;

    // Port number, 1 and up. Refused while the port is open.
    int commPort() const { return port_; }
    CommError setCommPort(int n);

    // "baud,parity,data,stop", reported in canonical form (for example "1200,n,8,1"). A
    // malformed string, or one no device of this system can run with (1.5 stop bits), is
    // refused and not stored. While open the device must take it, or the old settings stay in
    // force; while closed the device itself is asked at the next open.
    std::string settings() const { return settings_.text(); }
    CommError setSettings(std::string_view s);

    bool portOpen() const;
    // Opening an open port or closing a closed one does nothing. Closing discards what has not
    // gone out yet (drain first with outBufferCount()); what was received stays readable.
    // Closing, even a port already closed by a loss, also ends the wait for a lost device.
    CommError setPortOpen(bool open);

    // Sends the bytes unchanged, one byte per char. An error while the port is closed.
    CommError output(std::string_view bytes);
    // Returns and removes every received byte that is waiting.
    std::string input();

    // Nominal sizes the windows work with (the transmit size sets file-transmission chunks).
    // Nothing received is ever dropped for lack of room.
    int inBufferSize() const { return inBufferSize_; }
    void setInBufferSize(int size);
    int outBufferSize() const { return outBufferSize_; }
    void setOutBufferSize(int size);
    int inBufferCount() const;
    // Characters not yet on the line, including what the operating system still holds.
    int outBufferCount() const;

    // Code of the event being reported (see CommEvents.h).
    int commEvent() const { return commEvent_; }
    std::function<void()> onComm;
    // The device vanished while open. The port is already closed when this runs; the text names
    // the port, the device and the system's error.
    std::function<void(const std::string& text)> onPortLost;
    // After a loss the control watches the same device path; when the device comes back it is
    // reopened with the current settings and this runs with "COM<n> reconnected". Closing the
    // port or choosing another port number ends the wait.
    std::function<void(const std::string& text)> onPortReconnected;
    bool awaitingReconnect() const { return backend_->watching(); }

    // With this on, a port that cannot open because its device is not there, or whose server
    // cannot be reached, is watched for as after a loss, and opens by itself when it can:
    // onPortReconnected then says "COM<n> connected". Closing the port ends the wait.
    void setWaitForPort(bool wait) { waitForPort_ = wait; }
    // While waiting: "COM1: waiting for rfc2217://mr3:3001 (next try in 8 s)"; empty otherwise.
    std::string waitingText() const;
    // The port closed by a loss or reopened after one. Runs at once, not in turn with the events
    // above, so that a control showing the port's state is right even while a handler's box is up.
    std::function<void()> onOpenChanged;
    // What the operator should know about the link, for the status line, naming the port: the
    // settings the device or a serial server really runs with when they differ from those asked
    // for (a pseudo-terminal keeps 8 data bits and no parity), a link that travels in clear,
    // settings a port cannot carry. Told once for the same finding.
    std::function<void(const std::string& text)> onNotice;

    // Device of the current port number, as PortMap maps it. A failed open names the device and
    // where its mapping came from.
    std::string deviceName() const;
    // "COM<n> (<device>)", the way every error text names the port.
    std::string portLabel() const;

    // Records the sessions as `settings` say, from the port open now or the next open on; a
    // control records nothing until told to.
    void record(const capture::CaptureSettings& settings);
    // The recorder of this control's sessions; nullptr when nothing is recorded.
    capture::SessionCapture* capture() { return capture_.get(); }
    // The recording stopped (a full or unwritable disk): one text for the status line. The
    // port, its events and everything else go on as before.
    std::function<void(const std::string& text)> onCaptureStopped;

private:
    struct Pending {
        int code;           // an event code, 0 for the loss of the device, -1 for its return, -2 a notice
        std::string text;   // the loss or return report
    };

    void post(int code, std::string text = {});
    void deliver();
    void reopenReturnedDevice();
    void readBackSettings();
    void confirmSettings(const SerialSettings& inForce);
    // The port is open and its far end answered: the session records it, with what was sent
    // while it connected.
    void connected();
    void failed(const std::string& device, const std::string& why);
    void waitFor(const std::string& device);
    // Prefixes `what` with the port label; `device` (already made printable) overrides the
    // device named in it.
    std::string describe(const std::string& what, const std::string& device = {}) const;

    std::unique_ptr<SerialBackend> backend_;
    int port_ = 1;
    SerialSettings settings_;
    std::string openDevice_;
    std::string settingsInForceTold_;
    bool settingsChangeTold_ = true;   // the last change of settings has been confirmed
    bool connecting_ = false;          // open, the far end not yet answered: not yet recorded as open
    std::string sentWhileConnecting_;
    bool waitForPort_ = false;
    bool lostOpen_ = false;            // lost, not closed: its return is a reconnection
    std::string failureTold_;          // the last failure recorded during this wait
    int inBufferSize_ = 1024;
    int outBufferSize_ = 512;
    int commEvent_ = 0;
    std::deque<Pending> pending_;
    bool delivering_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<capture::SessionCapture> capture_;
};

} // namespace serial::control
