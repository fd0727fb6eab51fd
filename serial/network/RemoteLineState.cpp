#include "serial/network/RemoteLineState.h"

#include "serial/CommEvents.h"

#include <gensio/sergensio.h>

#include <utility>

namespace serial::network {

namespace {

template <std::size_t N>
std::vector<int> codesFor(unsigned state, const std::pair<unsigned, int> (&table)[N])
{
    std::vector<int> codes;
    for (const auto& [bit, code] : table)
        if (state & bit)
            codes.push_back(code);
    return codes;
}

} // namespace

std::vector<int> modemStateCodes(unsigned state)
{
    static const std::pair<unsigned, int> table[] = {
        {SERGENSIO_MODEMSTATE_CTS_CHANGED, comEvCTS},
        {SERGENSIO_MODEMSTATE_DSR_CHANGED, comEvDSR},
        {SERGENSIO_MODEMSTATE_CD_CHANGED, comEvCD},
        {SERGENSIO_MODEMSTATE_RI_CHANGED, comEvRing},
    };
    return codesFor(state, table);
}

std::vector<int> lineStateCodes(unsigned state)
{
    static const std::pair<unsigned, int> table[] = {
        {SERGENSIO_LINESTATE_BREAK, comEventBreak},
        {SERGENSIO_LINESTATE_FRAMING_ERR, comEventFrame},
        {SERGENSIO_LINESTATE_OVERRUN_ERR, comEventOverrun},
        {SERGENSIO_LINESTATE_PARITY_ERR, comEventRxParity},
    };
    return codesFor(state, table);
}

} // namespace serial::network
