#pragma once
// Codes reported through CommControl::onComm and read back from CommControl::commEvent().

namespace serial {

// Events.
constexpr int comEvSend = 1;        // transmit buffer fell below its threshold
constexpr int comEvReceive = 2;     // received characters are waiting
constexpr int comEvCTS = 3;         // CTS line changed
constexpr int comEvDSR = 4;         // DSR line changed
constexpr int comEvCD = 5;          // carrier detect line changed
constexpr int comEvRing = 6;        // ring indicator
constexpr int comEvEOF = 7;         // end-of-file character received

// Errors.
constexpr int comEventBreak = 1001;     // break received
constexpr int comEventCTSTO = 1002;     // CTS timeout
constexpr int comEventDSRTO = 1003;     // DSR timeout
constexpr int comEventFrame = 1004;     // framing error
constexpr int comEventOverrun = 1006;   // receive overrun (the hardware lost characters)
constexpr int comEventCDTO = 1007;      // carrier detect timeout
constexpr int comEventRxOver = 1008;    // receive buffer overflow (the driver lost characters)
constexpr int comEventRxParity = 1009;  // parity error
constexpr int comEventTxFull = 1010;    // transmit buffer full

} // namespace serial
