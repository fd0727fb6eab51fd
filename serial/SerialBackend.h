#pragma once
// One device the serial control talks to. The control owns exactly one backend: for real ports
// the routing backend (Qt SerialPort for local devices, gensio for network ports), the fake for
// window tests.
#include "serial/CommError.h"
#include "serial/SerialSettings.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace serial {

// "cannot use the settings "...": <why>", the refusal of settings a device cannot run with.
CommError settingsRefused(const SerialSettings& settings, const std::string& why);

class SerialBackend {
public:
    virtual ~SerialBackend() = default;

    // Opens `device` with `settings`. On failure the backend stays closed and the text says what
    // happened without naming the port (the control adds "COM<n> (<device>)").
    virtual CommError open(const std::string& device, const SerialSettings& settings) = 0;
    // Closes the device. Characters not yet sent are discarded; characters already received
    // stay readable through readAll().
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Changes the settings while open. On failure the device keeps its previous settings.
    virtual CommError apply(const SerialSettings& settings) = 0;
    virtual CommError write(std::string_view bytes) = 0;
    // Returns and removes every received byte.
    virtual std::string readAll() = 0;
    // When the bytes readAll() returned reached this backend (the latest of them), so that a
    // recording is not late by however long the window took to read them.
    virtual std::chrono::steady_clock::time_point lastArrival() const { return arrivedAt_; }
    virtual int bytesAvailable() const = 0;
    // Bytes not yet on the line: the backend's own buffer plus what the system still holds.
    virtual int bytesWaitingToSend() const = 0;

    // Refuses settings that no device of this system can run with, before they are stored or
    // tried on a device (the text says why, without naming the port).
    virtual CommError check(const SerialSettings& settings) const;

    // The device this backend stands for whatever the port map says now (a replay: the one its
    // session was recorded on), for the messages that name it; nullopt: the mapped one.
    virtual std::optional<std::string> standsFor() const { return std::nullopt; }

    // The settings the open device really runs with, read back from it; nullopt when the backend
    // cannot tell (then what was asked is taken as in force).
    virtual std::optional<SerialSettings> settingsInForce() const { return std::nullopt; }

    // After a loss: looks about once a second whether `device` (the path the port was opened
    // by) is back as a character device other than the one that vanished, and calls
    // deviceBack each time it is, until stopWatching(). Never busy: a timer, not a loop.
    virtual void watchForReturn(const std::string& device) = 0;
    virtual void stopWatching() = 0;
    virtual bool watching() const = 0;
    // While watching: milliseconds until the next try, 0 while one is under way; -1 otherwise.
    virtual int nextTryMs() const { return -1; }

    // Open, but the far end has not answered yet (a network port connecting in the background):
    // the connection is told by `connected` or `openFailed`. Bytes written meanwhile wait for it.
    virtual bool connecting() const { return false; }
    // The settings in force are told through `settingsInForce` as the far end answers, never
    // read back (settingsInForce() then says nothing).
    virtual bool answersSettings() const { return false; }

    // What a backend tells its owner. readyRead: new bytes are waiting. lineEvent: a line event
    // or error code (3..7, 1001..). deviceLost: the device vanished; the backend has already
    // closed. deviceBack: the watched device is back; the control tries to reopen it.
    // openFailed: a port that connects in the background (a network port) could not be reached
    // after open() had taken it; the backend has already closed, the text says why without
    // naming the port. connected: that port's far end answered. tryFailed: a try while watching
    // failed (the text says why, without the port); the watch goes on.
    // settingsInForce: what the far end really runs with, as it answered an open or a change.
    // notice: something the operator should know about the link, for the status line (without
    // the port).
    struct Events {
        std::function<void()> readyRead;
        std::function<void(int code)> lineEvent;
        std::function<void(const std::string& systemText)> deviceLost;
        std::function<void()> deviceBack;
        std::function<void(const std::string& text)> openFailed;
        std::function<void()> connected;
        std::function<void(const std::string& text)> tryFailed;
        std::function<void(const SerialSettings& inForce)> settingsInForce;
        std::function<void(const std::string& text)> notice;
    };

    // Set as one value by the owner, and cleared the same way ({}).
    virtual void setEvents(Events events) { events_ = std::move(events); }
    const Events& events() const { return events_; }

    // Raises one event, if it is set. The handler runs from a copy: it may replace the events.
    template <typename Event, typename... Args>
    void raise(Event Events::*event, Args&&... args) const
    {
        if (auto handler = events_.*event)
            handler(std::forward<Args>(args)...);
    }

protected:
    void noteArrival(std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now()) { arrivedAt_ = at; }

private:
    Events events_;
    std::chrono::steady_clock::time_point arrivedAt_;
};

} // namespace serial
