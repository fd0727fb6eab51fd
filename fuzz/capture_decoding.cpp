// A capture's received stream decoded reply by reply, against two rules: however the line cut
// the stream into pieces, the same replies come out with the same values (backspaces act within
// a piece, so they are left out here), and the times of the states never go back.
#include "carterm/reply/CaptureDecoder.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>

using namespace fuzz;
using carterm::reply::CarState;

namespace {

std::vector<CarState> decode(const std::string& stream, std::size_t piece)
{
    carterm::reply::CaptureDecoder decoder;
    std::vector<CarState> states;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        decoder.receive(static_cast<long long>(at), std::string_view(stream).substr(at, piece), states);
    return states;
}

std::string values(const CarState& s)
{
    return std::to_string(static_cast<int>(s.kind)) + " floor " + std::to_string(s.floor) + " vel " +
           std::to_string(s.velocity) + " bbt " + s.bbt + " fault " + std::to_string(s.faultCode) + "/" +
           std::to_string(s.faultFloor) + (s.newFault ? " new" : "") + " " + s.signalBits.to_string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string stream(reinterpret_cast<const char*>(data), size);
    std::erase(stream, '\b');
    const std::vector<CarState> whole = decode(stream, std::max<std::size_t>(stream.size(), 1));
    for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{64}}) {
        const std::vector<CarState> cut = decode(stream, piece);
        checkEqual(std::to_string(cut.size()), std::to_string(whole.size()), "every reply decodes once however cut");
        for (std::size_t i = 0; i < cut.size(); ++i) {
            checkEqual(values(cut[i]), values(whole[i]), "a reply's values do not depend on the pieces");
            check(i == 0 || cut[i - 1].time <= cut[i].time, "states come in time order");
        }
    }
    return 0;
}
