#pragma once
// The strings the bench recognises in its terminal, and the lines it sends back, exactly as the
// remote end and the modem see them.
#include <string>
#include <string_view>

namespace iobench::remote {

inline constexpr std::string_view kOpenKx9 = "open_kx9_button_Click()";
inline constexpr std::string_view kConfigPoints = "configpoints_button_Click ()";
inline constexpr std::string_view kWriteZero = "writemask_textbox.Text =\"00000000\"";
inline constexpr std::string_view kWriteOne = "writemask_textbox.Text =\"00000001\"";
inline constexpr std::string_view kCloseAdapter = "closeadapter_button_Click ()";
inline constexpr std::string_view kRing = "RING";
inline constexpr std::string_view kNoCarrier = "NO CARRIER";
inline constexpr std::string_view kDisconnect = "Disconnect";

// Hayes commands: answer on the next ring, hang up, stop answering.
inline constexpr std::string_view kAnswerNextRing = "at&s0=1\r";
inline constexpr std::string_view kHangUp = "ath0\r";
inline constexpr std::string_view kNoAutoAnswer = "at&s0=0\r";
inline constexpr std::string_view kOnline = "ONLINE\r";
// Back to command mode during a call; it takes a guard time of silence before and after.
inline constexpr std::string_view kEscape = "+++";

// The echoes of the open command: base_io_textbox.Text = "220", then on a new line
// configmask_textbox.Text = "00000001"; no line end after either.
inline std::string baseAddressEcho(std::string_view boardText)
{
    return "base_io_textbox.Text = \"" + std::string(boardText) + "\"";
}
inline std::string configMaskEcho(std::string_view maskText)
{
    return "\rconfigmask_textbox.Text = \"" + std::string(maskText) + "\"";
}

} // namespace iobench::remote
