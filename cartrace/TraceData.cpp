#include "cartrace/TraceData.h"

#include "carterm/FaultText.h"

#include <algorithm>
#include <cstring>

namespace cartrace {

using namespace carterm;
namespace capture = serial::capture;

namespace {

// What the live view sends by itself, each in one piece with its CR.
bool isRequest(std::string_view text)
{
    return text == "pmii" || text == "vel" || text == "bbt" || text == "flt0";
}

// The settings at the end of an OPEN's value: "COM1 /dev/ttyUSB0 9600,e,7,1".
std::string lastWord(const std::string& text)
{
    const std::size_t blank = text.rfind(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

} // namespace

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
    return capture_.walk([this](const capture::Record& r) { take(r); });
}

void TraceData::take(const capture::Record& r)
{
    switch (r.kind) {
    case capture::kHeader:
        if (r.name == "SETTINGS")
            settings_ = r.value;
        break;
    case capture::kReceived: {
        note(r);
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
    case capture::kSent:
        note(r);
        takeSent(r);
        break;
    case capture::kEvent:
        takeEvent(r);
        break;
    default:
        break;
    }
}

void TraceData::note(const capture::Record& r)
{
    if (!bytePane_ || pieces_.size() >= kMostPieces)
        return;
    pieces_.push_back({r.time, r.kind == capture::kSent ? -1 - r.offset : r.offset});
    lastLength_ = r.length;
}

void TraceData::takeSent(const capture::Record& r)
{
    // A command sent whole in one piece (a request, a button's, a command line) stands on its
    // own, also between keys being typed: the poll timer does not wait for the operator. A lone
    // CR is the window's greeting when nothing was typed, else the Enter of what was.
    if (r.length <= static_cast<long long>(kLongestCommand)) {
        std::string whole = capture_.reader().bytes(r);
        if (whole.size() > 1 && whole.back() == '\r' && whole.find('\r') == whole.size() - 1) {
            whole.pop_back();
            const bool request = isRequest(whole);
            operatorCommands_ += request ? 0 : 1;
            sent_.push_back({r.time, std::move(whole), request, states_.size()});
            return;
        }
        if (whole == "\r" && command_.empty()) {
            sent_.push_back({r.time, {}, true, states_.size()});
            return;
        }
    }
    capture_.reader().eachPiece(r, [&](std::string_view piece) {
        for (char c : piece) {
            if (c == '\r') {
                ++operatorCommands_;
                sent_.push_back({r.time, std::move(command_), false, states_.size()});
                command_.clear();
            } else if (c == '\b' || c == '\x7f') {
                if (!command_.empty())
                    command_.pop_back();
            } else if (c != '\n' && command_.size() < kLongestCommand) {
                command_ += c;
            }
        }
    });
}

void TraceData::takeEvent(const capture::Record& r)
{
    LineEvent e{r.time, r.name, r.value, {}, states_.size(), sent_.size()};
    std::string settings;
    if (r.name == capture::kOpen)
        settings = lastWord(r.value);
    else if (r.name == capture::kSettings)
        settings = r.value;
    if (!settings.empty() && settings != settings_) {
        e.newSettings = settings;
        settings_ = settings;
    }
    const bool down = !outages_.empty() && outages_.back().to == LLONG_MAX;
    if (r.name == capture::kOpen || r.name == capture::kReconnect) {
        if (down)
            outages_.back().to = r.time;
    } else if (r.name == capture::kClose || r.name == capture::kLost || r.name == capture::kFailed) {
        if (!down)
            outages_.push_back({r.time, LLONG_MAX});
        command_.clear();   // what was typed without its CR never became a command
    }
    events_.push_back(std::move(e));
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

bool TraceData::openAt(long long time) const
{
    const auto it = std::upper_bound(outages_.begin(), outages_.end(), time,
                                     [](long long t, const Outage& o) { return t < o.from; });
    return it == outages_.begin() || (it - 1)->to <= time;
}

std::vector<RawPiece> TraceData::bytesAround(long long time, std::size_t before, std::size_t after, std::size_t most)
{
    std::vector<RawPiece> out;
    if (!capture_.opened())
        return out;
    const auto at = std::upper_bound(pieces_.begin(), pieces_.end(), time,
                                     [](long long t, const Piece& p) { return t < p.time; });
    const auto first = at - std::min<std::ptrdiff_t>(at - pieces_.begin(), static_cast<std::ptrdiff_t>(before));
    const auto last = at + std::min<std::ptrdiff_t>(pieces_.end() - at, static_cast<std::ptrdiff_t>(after));
    const auto place = [](const Piece& p) { return p.offset < 0 ? -1 - p.offset : p.offset; };
    for (auto it = first; it != last; ++it) {
        capture::Record r;
        r.kind = it->offset < 0 ? capture::kSent : capture::kReceived;
        r.time = it->time;
        r.offset = place(*it);
        const long long length = it + 1 == pieces_.end() ? lastLength_ : place(*(it + 1)) - r.offset;
        r.length = std::min<long long>(length, static_cast<long long>(most));
        out.push_back({it->time, it->offset < 0, length, capture_.reader().bytes(r)});
    }
    return out;
}

} // namespace cartrace
