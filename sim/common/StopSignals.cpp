#include "sim/common/StopSignals.h"

namespace sim {

namespace {
volatile std::sig_atomic_t g_stopSignal = 0;

void onStopSignal(int signal)
{
    g_stopSignal = signal;
}
} // namespace

sigset_t installStopSignals(std::initializer_list<int> signals)
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : signals) {
        sigaction(signal, &action, nullptr);
        sigaddset(&stops, signal);
    }
    std::signal(SIGPIPE, SIG_IGN);

    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stops, &waitMask);
    for (int signal : signals)
        sigdelset(&waitMask, signal);
    return waitMask;
}

bool stopRequested()
{
    return g_stopSignal != 0;
}

const volatile std::sig_atomic_t& stopSignalFlag()
{
    return g_stopSignal;
}

} // namespace sim
