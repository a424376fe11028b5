#include "TerminationWatcher.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array WatchedSignals{SIGTERM, SIGINT, SIGHUP};

int pipeEnds[2] = {-1, -1};
struct sigaction previousActions[WatchedSignals.size()];

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent)
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(pipeEnds[0], &byte, 1) == 1)
            emit terminationRequested(static_cast<unsigned char>(byte));
    });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < WatchedSignals.size(); ++i)
        ::sigaction(WatchedSignals[i], &action, &previousActions[i]);
}

TerminationWatcher::~TerminationWatcher()
{
    if (!notifier_)
        return;
    for (size_t i = 0; i < WatchedSignals.size(); ++i)
        ::sigaction(WatchedSignals[i], &previousActions[i], nullptr);
    delete notifier_;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}
