#pragma once
// One capture as cartrace shows it: the car's decoded state after every reply, the commands
// sent, the line's events and the faults, all on the capture's time line (microseconds from its
// start). follow() picks up what a capture still being written has gained since.
#include "carterm/reply/CaptureDecoder.h"
#include "carterm/reply/FaultIndex.h"
#include "serial/capture/CaptureWalk.h"

#include <string>
#include <vector>

namespace cartrace {

struct Sent {
    long long time;
    std::string text;   // what was sent, without its CR
};

struct LineEvent {
    long long time;
    std::string name;   // OPEN, CLOSE, LOST, RECONNECT, SETTINGS or a line event (CTS, BREAK, ...)
    std::string value;
};

// A new entry in the controller's fault log: register 0 changed to a code other than 0.
struct Fault {
    long long time;
    int code;
    int floor;
    std::string description;   // from the decoder's fault table (Windows-1252), empty if none
};

class TraceData {
public:
    // Opens the capture named by either of its files or their stem; false with error().
    bool open(const std::string& capture);
    // Reads what was added since; true when anything was.
    bool follow();
    const std::string& error() const { return capture_.error(); }

    const std::string& name() const { return capture_.reader().paths().stem; }
    const std::vector<carterm::reply::CarState>& states() const { return states_; }
    const std::vector<Sent>& sent() const { return sent_; }
    const std::vector<LineEvent>& events() const { return events_; }
    const std::vector<Fault>& faults() const { return faults_; }
    const carterm::reply::FaultIndex& faultIndex() const { return faultIndex_; }
    std::string header(const std::string& name) const;
    long long startEpochMicros() const;
    // The time of the last record: the length of the session so far.
    long long duration() const;

    // The state the window showed at `time`: the last reply's at or before it (nullptr before
    // the first).
    const carterm::reply::CarState* stateAt(long long time) const;

private:
    void take(const serial::capture::Record& record);

    serial::capture::CaptureWalk capture_;
    carterm::reply::CaptureDecoder decoder_;
    std::vector<carterm::reply::CarState> states_;
    std::vector<Sent> sent_;
    std::vector<LineEvent> events_;
    std::vector<Fault> faults_;
    carterm::reply::FaultIndex faultIndex_;
};

// The fault table's description of a code; empty when the table has none.
std::string faultDescription(int code);

} // namespace cartrace
