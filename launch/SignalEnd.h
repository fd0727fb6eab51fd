#pragma once
// An orderly end when the session asks a program to stop: SIGTERM (a desktop logout, a service
// manager), SIGINT (Ctrl+C in the terminal it was started from) and SIGHUP (that terminal
// closed). The program ends the way its Exit does, with no box shown: the session log closed,
// the port's settings left as found and its lock released. Without this the default action
// would kill it with the device still claimed and in raw mode.
#include <functional>

namespace toolkit {
class QtPlatform;
}

namespace launch {

// Catches the three signals from now on; the signal is turned into an event of the
// application's event loop (a signal handler may do next to nothing itself).
void watchEndSignals(toolkit::QtPlatform& platform);

// What the program's Exit runs. Without one, the program just ends. The process then ends by
// the signal it was sent, as its parent expects.
void setOrderlyEnd(std::function<void()> end);

} // namespace launch
