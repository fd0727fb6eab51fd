#include "carterm/reply/FaultIndex.h"

#include "serial/capture/CaptureWalk.h"

#include <algorithm>

namespace carterm::reply {

void FaultIndex::add(const std::vector<CarState>& states, std::size_t from)
{
    for (std::size_t i = from; i < states.size(); ++i)
        if (states[i].newFault)
            times_.push_back(states[i].time);
}

std::optional<long long> FaultIndex::after(long long time) const
{
    const auto it = std::upper_bound(times_.begin(), times_.end(), time);
    return it == times_.end() ? std::nullopt : std::optional<long long>(*it);
}

std::size_t FaultIndex::upTo(long long time) const
{
    return static_cast<std::size_t>(std::upper_bound(times_.begin(), times_.end(), time) - times_.begin());
}

std::optional<long long> FaultIndex::before(long long time) const
{
    const auto it = std::lower_bound(times_.begin(), times_.end(), time);
    return it == times_.begin() ? std::nullopt : std::optional<long long>(*(it - 1));
}

FaultIndex indexFaults(const std::string& capture)
{
    serial::capture::CaptureWalk walk;
    FaultIndex index;
    if (!walk.open(capture))
        return index;
    CaptureDecoder decoder;
    std::vector<CarState> states;
    walk.walk([&](const serial::capture::Record& r) {
        if (r.kind != serial::capture::kReceived)
            return;
        walk.reader().eachPiece(r, [&](std::string_view piece) {
            states.clear();
            decoder.receive(r.time, piece, states);
            index.add(states);
        });
    });
    return index;
}

} // namespace carterm::reply
