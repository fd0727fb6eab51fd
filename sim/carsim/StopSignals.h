#pragma once
// SIGINT, SIGTERM and SIGHUP end carsim cleanly. They stay blocked except while the line loop
// waits in ppoll, so a stop request always wakes the wait instead of racing with it.
#include <csignal>

namespace carsim {

// Installs the handlers, blocks the signals and returns the mask to wait with.
sigset_t installStopSignals();
bool stopRequested();
int stopSignal();  // the signal that asked to stop, 0 if none

}  // namespace carsim
