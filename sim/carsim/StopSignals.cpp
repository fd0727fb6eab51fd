#include "StopSignals.h"

namespace carsim {

namespace {
volatile std::sig_atomic_t g_stopSignal = 0;

void onStopSignal(int signal)
{
    g_stopSignal = signal;
}
}  // namespace

sigset_t installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A terminal that goes away mid-write must not kill the simulator.
    std::signal(SIGPIPE, SIG_IGN);

    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stops, &previous);
    sigset_t waitMask = previous;
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGHUP);
    return waitMask;
}

bool stopRequested()
{
    return g_stopSignal != 0;
}

int stopSignal()
{
    return g_stopSignal;
}

}  // namespace carsim
