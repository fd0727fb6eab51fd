#pragma once
// The times of the new entries in the controller's fault log over a capture, found by the car
// window's own reply parser: what "Next fault" and "Previous fault" step through. Plain C++.
#include "carterm/reply/CaptureDecoder.h"

#include <optional>
#include <string>
#include <vector>

namespace carterm::reply {

class FaultIndex {
public:
    // Notes the new faults among the decoder's states from `from` on (states come in time order).
    void add(const std::vector<CarState>& states, std::size_t from = 0);
    // The first fault after `time`, and the last one before it.
    std::optional<long long> after(long long time) const;
    std::optional<long long> before(long long time) const;
    std::size_t size() const { return times_.size(); }
    // How many come at or before `time`.
    std::size_t upTo(long long time) const;

private:
    std::vector<long long> times_;
};

// The fault index of a whole capture; empty when it cannot be read.
FaultIndex indexFaults(const std::string& capture);

} // namespace carterm::reply
