#include "serial/CommEvents.h"
#include "serial/device/PortDevice.h"
#include "serial/network/RemoteLineState.h"

#include <gensio/sergensio.h>

#include <gtest/gtest.h>


TEST(LineEventCodes, EachKindOfCounterChangeRaisesItsCodeOnceInAFixedOrder)
{
    const serial::device::LineCounters before{.cts = 5, .dsr = 1, .ring = 0, .carrier = 2,
                              .breaks = 0, .framing = 7, .overrun = 0, .parity = 3, .bufferOverrun = 0};
    EXPECT_TRUE(serial::device::lineEventCodes(before, before).empty());

    serial::device::LineCounters after = before;
    after.parity += 40;   // a noisy burst is one report, not forty
    after.cts += 2;
    after.framing += 1;
    EXPECT_EQ(serial::device::lineEventCodes(before, after), (std::vector<int>{serial::comEvCTS, serial::comEventFrame, serial::comEventRxParity}));

    serial::device::LineCounters all{};
    all.cts = all.dsr = all.ring = all.carrier = 1;
    all.breaks = all.framing = all.overrun = all.parity = all.bufferOverrun = 1;
    EXPECT_EQ(serial::device::lineEventCodes(serial::device::LineCounters{}, all),
              (std::vector<int>{serial::comEvCTS, serial::comEvDSR, serial::comEvCD, serial::comEvRing, serial::comEventBreak, serial::comEventFrame,
                                serial::comEventOverrun, serial::comEventRxOver, serial::comEventRxParity}));
}

TEST(LineEventCodes, AServersModemAndLineStateReportsRaiseTheCodesOfALocalDevice)
{
    EXPECT_EQ(serial::network::modemStateCodes(0xff), (std::vector<int>{serial::comEvCTS, serial::comEvDSR, serial::comEvCD, serial::comEvRing}));
    EXPECT_EQ(serial::network::modemStateCodes(SERGENSIO_MODEMSTATE_CTS | SERGENSIO_MODEMSTATE_CD), std::vector<int>{});   // no change
    EXPECT_EQ(serial::network::lineStateCodes(0xff), (std::vector<int>{serial::comEventBreak, serial::comEventFrame, serial::comEventOverrun, serial::comEventRxParity}));
    EXPECT_EQ(serial::network::lineStateCodes(SERGENSIO_LINESTATE_DATA_READY), std::vector<int>{});
}
