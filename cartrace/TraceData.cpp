#include "cartrace/TraceData.h"

#include "carterm/FaultText.h"

#include <algorithm>

namespace cartrace {

using namespace carterm;

std::string faultDescription(int code) { return faultText(code); }

bool TraceData::open(const std::string& capture)
{
    if (!capture_.open(capture))
        return false;
    follow();
    return capture_.error().empty();
}

bool TraceData::follow()
{
    return capture_.walk([this](const serial::capture::Record& r) { take(r); });
}

void TraceData::take(const serial::capture::Record& r)
{
    switch (r.kind) {
    case serial::capture::kReceived: {
        const std::size_t before = states_.size();
        capture_.reader().eachPiece(r, [&](std::string_view piece) { decoder_.receive(r.time, piece, states_); });
        faultIndex_.add(states_, before);
        for (std::size_t i = before; i < states_.size(); ++i) {
            const reply::CarState& s = states_[i];
            if (s.newFault)
                faults_.push_back({s.time, s.faultCode, s.faultFloor, faultDescription(s.faultCode)});
        }
        break;
    }
    case serial::capture::kSent: {
        // A command is a line; a huge record shows only its start.
        std::string text = capture_.reader().bytes(r);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        sent_.push_back({r.time, std::move(text)});
        break;
    }
    case serial::capture::kEvent:
        events_.push_back({r.time, r.name, r.value});
        break;
    default:
        break;
    }
}

std::string TraceData::header(const std::string& name) const
{
    if (!capture_.opened())
        return {};
    const auto& headers = capture_.reader().headers();
    const auto it = headers.find(name);
    return it == headers.end() ? std::string{} : it->second;
}

long long TraceData::startEpochMicros() const { return capture_.opened() ? capture_.reader().startEpochMicros() : 0; }

long long TraceData::duration() const { return capture_.opened() ? capture_.reader().endTime() : 0; }

const reply::CarState* TraceData::stateAt(long long time) const
{
    const auto it = std::upper_bound(states_.begin(), states_.end(), time,
                                     [](long long t, const reply::CarState& s) { return t < s.time; });
    return it == states_.begin() ? nullptr : &*(it - 1);
}

} // namespace cartrace
