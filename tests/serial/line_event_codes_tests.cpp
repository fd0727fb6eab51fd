#include "serial/CommEvents.h"
#include "serial/PortDevice.h"
#include "serial/RemoteLineState.h"

#include <gensio/sergensio.h>

#include <gtest/gtest.h>

using namespace carterm;

TEST(LineEventCodes, EachKindOfCounterChangeRaisesItsCodeOnceInAFixedOrder)
{
    const LineCounters before{.cts = 5, .dsr = 1, .ring = 0, .carrier = 2,
                              .breaks = 0, .framing = 7, .overrun = 0, .parity = 3, .bufferOverrun = 0};
    EXPECT_TRUE(lineEventCodes(before, before).empty());

    LineCounters after = before;
    after.parity += 40;   // a noisy burst is one report, not forty
    after.cts += 2;
    after.framing += 1;
    EXPECT_EQ(lineEventCodes(before, after), (std::vector<int>{comEvCTS, comEventFrame, comEventRxParity}));

    LineCounters all{};
    all.cts = all.dsr = all.ring = all.carrier = 1;
    all.breaks = all.framing = all.overrun = all.parity = all.bufferOverrun = 1;
    EXPECT_EQ(lineEventCodes(LineCounters{}, all),
              (std::vector<int>{comEvCTS, comEvDSR, comEvCD, comEvRing, comEventBreak, comEventFrame,
                                comEventOverrun, comEventRxOver, comEventRxParity}));
}

TEST(LineEventCodes, AServersModemAndLineStateReportsRaiseTheCodesOfALocalDevice)
{
    EXPECT_EQ(modemStateCodes(0xff), (std::vector<int>{comEvCTS, comEvDSR, comEvCD, comEvRing}));
    EXPECT_EQ(modemStateCodes(SERGENSIO_MODEMSTATE_CTS | SERGENSIO_MODEMSTATE_CD), std::vector<int>{});   // no change
    EXPECT_EQ(lineStateCodes(0xff), (std::vector<int>{comEventBreak, comEventFrame, comEventOverrun, comEventRxParity}));
    EXPECT_EQ(lineStateCodes(SERGENSIO_LINESTATE_DATA_READY), std::vector<int>{});
}
