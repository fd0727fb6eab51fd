#pragma once
// The signals that end a simulator cleanly. They stay blocked except while its loop waits in
// ppoll with the returned mask, so a stop request always wakes the wait instead of racing with it.
#include <csignal>
#include <initializer_list>

namespace sim {

// Installs the handlers for `signals`, blocks them and returns the mask to wait with.
// SIGPIPE is ignored too: a peer gone mid-write shows up as a write error instead.
sigset_t installStopSignals(std::initializer_list<int> signals);
bool stopRequested();
// Non-zero (the signal's number) once a stop was asked for; for loops that watch it directly.
const volatile std::sig_atomic_t& stopSignalFlag();

} // namespace sim
