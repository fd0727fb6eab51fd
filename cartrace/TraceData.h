#pragma once
// One capture as cartrace shows it: the car's decoded state after every reply, the commands
// sent, the line's events, the stretches the port was not open and the faults, all on the
// capture's time line (microseconds from its start). follow() picks up what a capture still
// being written has gained since.
#include "carterm/reply/CaptureDecoder.h"
#include "carterm/reply/FaultIndex.h"
#include "serial/capture/CaptureWalk.h"

#include <climits>
#include <string>
#include <vector>

namespace cartrace {

// A whole command: what went out up to a carriage return, however many pieces it was sent in.
struct Sent {
    long long time;     // when its carriage return went
    std::string text;   // without the CR, backspaces applied; cut at kLongestCommand
    // The live view's own request: "pmii", "vel", "bbt" or "flt0" sent whole with its CR in one
    // piece, the way the poll timer and the display send them (or a lone CR with nothing typed,
    // the window's greeting). Keys typed one by one are the operator's, whatever they spell.
    bool request = false;
    std::size_t statesBefore = 0;   // the replies decoded before it: its place among them
};

struct LineEvent {
    long long time;
    std::string name;   // OPEN, CLOSE, LOST, RECONNECT, FAILED, SETTINGS, STOPPED or a line event (CTS, ...)
    std::string value;
    // The settings in force from here when this event changed them (an OPEN with new settings,
    // SETTINGS); empty otherwise.
    std::string newSettings;
    std::size_t statesBefore = 0;   // its place among the replies and commands
    std::size_t sentBefore = 0;
};

// A stretch in which the port was not open: closed, lost, or never opened. `to` is LLONG_MAX
// while it lasts.
struct Outage {
    long long from;
    long long to;
};

// A new entry in the controller's fault log: register 0 changed to a code other than 0.
struct Fault {
    long long time;
    int code;
    int floor;
    std::string description;   // from the decoder's fault table (Windows-1252), empty if none
};

// Bytes as they crossed the line, for the byte pane.
struct RawPiece {
    long long time;
    bool sent;
    long long length;    // the whole record's
    std::string bytes;   // its start, at most what was asked for
};

class TraceData {
public:
    static constexpr std::size_t kLongestCommand = 200;
    // The byte pane finds pieces among this many (32 MB; two days of polling): a capture of
    // millions of tiny pieces must not take the memory its bytes never did.
    static constexpr std::size_t kMostPieces = 2000000;

    // `bytePane`: keep where each piece lies, for bytesAround(); files written without a window
    // need none.
    explicit TraceData(bool bytePane = true) : bytePane_(bytePane) {}
    // Opens the capture named by either of its files or their stem; false with error().
    bool open(const std::string& capture);
    // Reads what was added since; true when anything was.
    bool follow();
    const std::string& error() const { return capture_.error(); }

    const std::string& name() const { return capture_.reader().paths().stem; }
    const std::vector<carterm::reply::CarState>& states() const { return states_; }
    const std::vector<Sent>& sent() const { return sent_; }
    const std::vector<LineEvent>& events() const { return events_; }
    const std::vector<Outage>& outages() const { return outages_; }
    const std::vector<Fault>& faults() const { return faults_; }
    const carterm::reply::FaultIndex& faultIndex() const { return faultIndex_; }
    std::string header(const std::string& name) const;
    long long startEpochMicros() const;
    // The time of the last record: the length of the session so far.
    long long duration() const;
    // How many of the commands are the operator's.
    std::size_t operatorCommands() const { return operatorCommands_; }

    // The state the window showed at `time`: the last reply's at or before it (nullptr before
    // the first).
    const carterm::reply::CarState* stateAt(long long time) const;
    // Whether the port was open at `time`.
    bool openAt(long long time) const;
    // The pieces received and sent last before `time` (up to `before` of them) and first after
    // it (up to `after`), each cut to `most` bytes, in time order; none past kMostPieces.
    std::vector<RawPiece> bytesAround(long long time, std::size_t before, std::size_t after, std::size_t most);

private:
    void take(const serial::capture::Record& record);
    void takeSent(const serial::capture::Record& record);
    void takeEvent(const serial::capture::Record& record);

    // Where a piece's bytes start in the data file, negative (-1 - offset) for sent ones; its
    // length is where the next one starts, as the data file holds them back to back.
    struct Piece {
        long long time;
        long long offset;
    };
    void note(const serial::capture::Record& record);

    serial::capture::CaptureWalk capture_;
    carterm::reply::CaptureDecoder decoder_;
    std::vector<carterm::reply::CarState> states_;
    std::vector<Sent> sent_;
    std::vector<LineEvent> events_;
    std::vector<Outage> outages_;
    std::vector<Fault> faults_;
    std::vector<Piece> pieces_;
    long long lastLength_ = 0;   // the last piece's
    bool bytePane_;
    carterm::reply::FaultIndex faultIndex_;
    std::string command_;        // a command being typed: sent so far, no CR yet
    std::string settings_;       // in force, as last recorded
    std::size_t operatorCommands_ = 0;
};

// The fault table's description of a code; empty when the table has none.
std::string faultDescription(int code);

} // namespace cartrace
