#include "ServeEventsUntil.h"

#include <QTimer>

bool serveEventsUntil(const std::function<bool()>& condition, QDeadlineTimer deadline,
                      QEventLoop::ProcessEventsFlags flags)
{
    constexpr int CheckIntervalMs = 10;
    if (condition())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    check.start(CheckIntervalMs);
    loop.exec(flags);
    return condition();
}
