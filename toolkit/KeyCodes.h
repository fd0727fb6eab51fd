#pragma once
// Key codes as the windows' key handlers receive them: character codes for KeyPress, key codes
// (upper-case letters, digits, Enter 13, ...) and a shift mask for KeyDown and KeyUp.
class QKeyEvent;

namespace toolkit {

constexpr int kKeyBack = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyReturn = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyDelete = 46;

constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

int keyCodeOf(const QKeyEvent& e);
int shiftOf(const QKeyEvent& e);
// The character code a key press types (Enter 13, Backspace 8, Escape 27), 0 for none.
int asciiOf(const QKeyEvent& e);

} // namespace toolkit
