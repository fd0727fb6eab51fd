#pragma once
// The remote caller's side: a TCP listener on 127.0.0.1 and at most one connected caller.
// A connection is a call; closing it is hanging up.
#include "sim/modemsim/OutputQueue.h"
#include "sim/modemsim/ReadResult.h"

#include <cstdint>
#include <string>

namespace modemsim {

class CallerLine {
public:
    // Listens on 127.0.0.1:`port` (0: any free port). Throws std::runtime_error with a message
    // for the operator, e.g. when the port is taken.
    explicit CallerLine(std::uint16_t port);
    ~CallerLine();
    CallerLine(const CallerLine&) = delete;
    CallerLine& operator=(const CallerLine&) = delete;

    std::uint16_t port() const { return port_; }
    int listenFd() const { return listenFd_; }

    // Takes one waiting connection; -1 when there is none. The caller decides: `adopt` or `refuse`.
    int acceptPending(std::string& peer);
    void adopt(int fd);
    // Turns a caller away while the line is busy: "BUSY", then the connection closes.
    static void refuse(int fd);

    bool connected() const { return callerFd_ >= 0; }
    int callerFd() const { return callerFd_; }

    // Appends what the caller sent to `into`. Gone: the caller hung up.
    ReadResult read(std::string& into);
    OutputQueue& output() { return output_; }
    // Writes what the socket takes now; false when the caller is gone.
    bool flush() { return output_.flush(callerFd_); }
    // Ends the call from this side: sends what is still queued if the socket takes it, closes.
    void hangUp();

private:
    int listenFd_ = -1;
    int callerFd_ = -1;
    std::uint16_t port_ = 0;
    OutputQueue output_;
};

} // namespace modemsim
