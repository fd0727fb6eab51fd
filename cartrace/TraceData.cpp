#include "cartrace/TraceData.h"

#include "carterm/FaultText.h"

#include <algorithm>

namespace cartrace {

using namespace carterm;

std::string faultDescription(int code) { return faultText(code); }

bool TraceData::open(const std::string& capture)
{
    paths_ = serial::capture::capturePaths(capture);
    reader_ = std::make_unique<serial::capture::CaptureReader>(paths_);
    follow();
    if (!error_.empty())
        return false;
    if (reader_->headers().empty()) {
        error_ = paths_.timing + ": not a capture: no header records in it";
        return false;
    }
    return true;
}

bool TraceData::follow()
{
    if (!reader_)
        return false;
    // In pieces, so a day-long capture never holds all its records at once.
    constexpr std::size_t kPiece = 1 << 16;
    bool any = false;
    for (;;) {
        batch_.clear();
        if (!reader_->readMore(batch_, kPiece))
            error_ = reader_->error();
        for (const serial::capture::Record& r : batch_)
            take(r);
        any = any || !batch_.empty();
        if (batch_.empty() || !error_.empty())
            break;
    }
    batch_.clear();
    batch_.shrink_to_fit();
    return any;
}

void TraceData::take(const serial::capture::Record& r)
{
    switch (r.kind) {
    case serial::capture::kReceived: {
        const std::size_t before = states_.size();
        decoder_.receive(r.time, reader_->bytes(r), states_);
        for (std::size_t i = before; i < states_.size(); ++i) {
            const reply::CarState& s = states_[i];
            if (s.newFault)
                faults_.push_back({s.time, s.faultCode, s.faultFloor, faultDescription(s.faultCode)});
        }
        break;
    }
    case serial::capture::kSent: {
        std::string text = reader_->bytes(r);
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
    if (!reader_)
        return {};
    const auto it = reader_->headers().find(name);
    return it == reader_->headers().end() ? std::string{} : it->second;
}

long long TraceData::startEpochMicros() const { return reader_ ? reader_->startEpochMicros() : 0; }

long long TraceData::duration() const { return reader_ ? reader_->endTime() : 0; }

const reply::CarState* TraceData::stateAt(long long time) const
{
    const auto it = std::upper_bound(states_.begin(), states_.end(), time,
                                     [](long long t, const reply::CarState& s) { return t < s.time; });
    return it == states_.begin() ? nullptr : &*(it - 1);
}

} // namespace cartrace
