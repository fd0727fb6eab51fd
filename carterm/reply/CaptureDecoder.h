#pragma once
// A capture's received bytes read the way the car window reads them: kept as the reply buffer
// keeps them (backspaces applied, line ends as CR LF), and each controller reply decoded by
// carscope's own reply parser as soon as it is complete. The result is the car's state after
// every reply, at the time the reply's last byte arrived. Plain C++, no Qt.
#include "carterm/reply/SignalNames.h"

#include <array>
#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace carterm::reply {

enum class ReplyKind : unsigned char { Table, Velocity, Bbt, Fault };

// The car as the window shows it after one reply. -1: not known yet.
struct CarState {
    long long time = 0;                // microseconds from the start of the capture
    ReplyKind kind = ReplyKind::Table; // the reply that led here
    signed char floor = -1;            // 1-7 from the position bits
    short velocity = -1;               // ft/min; the table's SM 0 shows 0, as the window does
    int faultCode = -1;                // fault register 0: the newest fault, 0 none
    int faultFloor = -1;
    struct FaultRegister {
        short code = -1;
        short floor = -1;
    };
    std::array<FaultRegister, 4> faults{}; // the four registers as the fault grid shows them
    char bbt[6] = {};                  // the BBT value's 5 characters as received
    std::bitset<kSignalCount> signalBits; // in kSignalNames' order, 1 where the cell reads 1
    bool hasTable = false;             // signals are known
    bool newFault = false;             // this fault reply shows a new entry in the fault log
};

class CaptureDecoder {
public:
    // Reads one received piece at `time`; appends the state after each reply it completes.
    void receive(long long time, std::string_view bytes, std::vector<CarState>& out);
    const CarState& state() const { return state_; }

private:
    struct Pending {
        long long pos;   // the marker's place in the stream
        long long end;   // just after the reply's last value
        ReplyKind kind;
    };
    void decode(long long at, ReplyKind kind, long long time, std::vector<CarState>& out);

    std::string text_;     // the normalised stream's tail
    long long base_ = 0;   // stream position of text_[0]
    long long scanFrom_[4] = {0, 0, 0, 0};
    CarState state_;
    int lastFaultCode_ = -1;
    int lastFaultFloor_ = -1;
};

} // namespace carterm::reply
