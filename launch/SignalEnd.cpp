#include "launch/SignalEnd.h"

#include "toolkit/Dispatch.h"
#include "toolkit/QtPlatform.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace launch {

namespace {

int signalPipe[2] = {-1, -1};
std::function<void()> orderlyEnd;

extern "C" void noteSignal(int signalNumber)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void setOrderlyEnd(std::function<void()> end) { orderlyEnd = std::move(end); }

void watchEndSignals(toolkit::QtPlatform& platform)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, &platform] {
        unsigned char signalNumber = 0;
        if (::read(signalPipe[0], &signalNumber, 1) != 1)
            return;
        // One end at a time: a second signal while the port drains changes nothing.
        notifier->setEnabled(false);
        platform.endOnSignal(signalNumber);
        if (orderlyEnd)
            toolkit::dispatch(orderlyEnd);
        platform.endProgram();
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace launch
