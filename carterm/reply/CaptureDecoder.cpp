#include "carterm/reply/CaptureDecoder.h"

#include "carterm/reply/ScopeReply.h"
#include "serial/LineEnds.h"

#include <algorithm>
#include <cstdlib>

namespace carterm::reply {

namespace {

// "FLT  n  cc FL ff" and CR LF: where register n + 1 stands after register n.
constexpr long kFaultLineLength = 18;

struct Kind {
    ReplyKind kind;
    std::string_view marker;
    long length;   // characters from the marker's first to the value's last
};

// Where each reply's values end behind its marker, by the parser's own offsets.
const Kind kKinds[] = {
    {ReplyKind::Table, pmi::kHeader, pmi::cellPosition(1, 8, pmi::kRows) + 1},
    {ReplyKind::Velocity, kVelocityMarker, kValueOffset + kVelocityLength},
    {ReplyKind::Bbt, kBbtMarker, kValueOffset + kBbtLength},
    // Register 0's marker up to register 3's floor: the fault grid is filled from one reply.
    {ReplyKind::Fault, kFaultMarkers[0], 3 * kFaultLineLength + kFaultFloorOffset + kFaultFieldLength},
};

// How much of the stream is kept behind the oldest place still to be searched.
constexpr long long kKeep = 512;

int number(std::string_view text)
{
    const auto n = pmi::cellInteger(text);
    return n ? *n : -1;
}

} // namespace

void CaptureDecoder::receive(long long time, std::string_view bytes, std::vector<CarState>& out)
{
    std::string data(bytes);
    int leading = 0;
    serial::applyBackspaces(data, leading);   // the reply buffer never loses what it already holds
    text_ += serial::normaliseLineEnds(data);
    const long long end = base_ + static_cast<long long>(text_.size());

    // Every reply completed by this piece, in the order they were completed (a table is long: a
    // short reply that starts inside it is complete first), however the line cut the stream.
    std::vector<Pending> done;
    for (std::size_t k = 0; k < std::size(kKinds); ++k) {
        const Kind& kind = kKinds[k];
        long long& from = scanFrom_[k];
        for (;;) {
            const auto at = text_.find(kind.marker, static_cast<std::size_t>(std::max(from - base_, 0LL)));
            if (at == std::string::npos) {
                from = std::max(from, end - static_cast<long long>(kind.marker.size()) + 1);
                break;
            }
            const long long pos = base_ + static_cast<long long>(at);
            if (pos + kind.length > end) {
                from = pos;   // complete when more arrives
                break;
            }
            done.push_back({pos, pos + kind.length, kind.kind});
            from = pos + 1;
        }
    }
    std::sort(done.begin(), done.end(),
              [](const Pending& a, const Pending& b) { return a.end != b.end ? a.end < b.end : a.pos < b.pos; });
    for (const Pending& p : done)
        decode(p.pos, p.kind, time, out);

    const long long oldest = *std::min_element(std::begin(scanFrom_), std::end(scanFrom_));
    const long long drop = std::min(oldest, end) - kKeep - base_;
    if (drop > 0) {
        text_.erase(0, static_cast<std::size_t>(drop));
        base_ += drop;
    }
}

void CaptureDecoder::decode(long long at, ReplyKind kind, long long time, std::vector<CarState>& out)
{
    // The reply on its own, from its marker: the parser's first occurrence is this reply.
    const std::string_view reply = std::string_view(text_).substr(static_cast<std::size_t>(at - base_));
    state_.time = time;
    state_.kind = kind;
    state_.newFault = false;
    switch (kind) {
    case ReplyKind::Table: {
        const auto table = readScopeTable(reply);
        if (!table)
            return;
        if (table->floor)
            state_.floor = static_cast<signed char>(*table->floor);
        for (std::size_t i = 0; i < kSignalCount; ++i) {
            const SignalName& s = kSignalNames[i];
            state_.signalBits[i] = pmi::cellInteger(table->values.value(s.col + 1, s.row)) == 1;
        }
        state_.hasTable = true;
        if (pmi::smValue(table->values) != 1)
            state_.velocity = 0;
        break;
    }
    case ReplyKind::Velocity: {
        const auto markers = readScopeMarkers(reply.substr(0, kKinds[1].length));
        if (markers.velocity)
            state_.velocity = static_cast<short>(number(markers.velocity->text));
        break;
    }
    case ReplyKind::Bbt: {
        const auto markers = readScopeMarkers(reply.substr(0, kKinds[2].length));
        if (markers.bbt) {
            std::fill(std::begin(state_.bbt), std::end(state_.bbt), '\0');
            std::copy_n(markers.bbt->begin(), std::min<std::size_t>(markers.bbt->size(), 5), state_.bbt);
        }
        break;
    }
    case ReplyKind::Fault: {
        const auto markers = readScopeMarkers(reply.substr(0, kKinds[3].length));
        for (std::size_t n = 0; n < markers.faults.size(); ++n)
            if (const auto& f = markers.faults[n])
                state_.faults[n] = {static_cast<short>(number(f->code)), static_cast<short>(number(f->floor))};
        if (const auto& f = markers.faults[0]) {
            state_.faultCode = number(f->code);
            state_.faultFloor = number(f->floor);
            // Register 0 holds the newest entry: a change there is a fault that just happened
            // (or, the first time, the last one before the session).
            state_.newFault = state_.faultCode > 0
                && (state_.faultCode != lastFaultCode_ || state_.faultFloor != lastFaultFloor_);
            lastFaultCode_ = state_.faultCode;
            lastFaultFloor_ = state_.faultFloor;
        }
        break;
    }
    }
    out.push_back(state_);
}

} // namespace carterm::reply
