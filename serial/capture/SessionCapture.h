#pragma once
// The flight recorder on the serial control: every session while a port is open goes to a
// capture (CaptureFormat.h) in the capture folder: what was received and sent, the line events,
// settings changes, open, close, loss and reconnection, each at its time to the microsecond.
// A session starts at the first open of a port number and lasts while the control keeps that
// number; closing and reopening are records in it. Nothing here ever stops the line: a folder
// that cannot take the files stops the capture with one message through onStopped.
#include "serial/capture/CaptureSettings.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QObject;

namespace serial::capture {

class CaptureWriter;

class SessionCapture {
public:
    explicit SessionCapture(CaptureSettings settings);
    ~SessionCapture();
    SessionCapture(const SessionCapture&) = delete;
    SessionCapture& operator=(const SessionCapture&) = delete;

    void opened(const std::string& port, const std::string& device, const std::string& settings);
    // An open, or a connection made in the background, that failed; a session that has not
    // started yet starts with it, so a port that never opened still leaves its reasons.
    void failed(const std::string& port, const std::string& device, const std::string& settings,
                const std::string& why);
    void closed();
    // `arrivedAt`: when the bytes reached the backend, not when the window read them.
    void received(std::string_view bytes, std::chrono::steady_clock::time_point arrivedAt);
    void sent(std::string_view bytes);
    void lineEvent(int code);
    void settingsChanged(const std::string& settings);
    void lost(const std::string& text);
    void reconnected(const std::string& text);

    // The capture of this session stopped (on the UI thread): "Capture stopped: <why>".
    std::function<void(const std::string& text)> onStopped;
    // The files of the session being recorded; empty when none is.
    std::string currentStem() const { return stem_; }

private:
    void start(const std::string& port, const std::string& device, const std::string& settings);
    void session(const std::string& port, const std::string& device, const std::string& settings);
    void named(char kind, std::string_view name, std::string_view value);
    void bytes(char kind, std::string_view data,
               std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now());
    long long sinceLast(std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now());
    void stopped(const std::string& why);

    CaptureSettings settings_;
    std::unique_ptr<CaptureWriter> writer_;
    std::string port_;
    std::string stem_;
    bool refused_ = false;   // this port's session could not be recorded; said once
    std::chrono::steady_clock::time_point last_;
    std::unique_ptr<QObject> context_;   // carries the writer thread's report to the UI thread
};

} // namespace serial::capture
