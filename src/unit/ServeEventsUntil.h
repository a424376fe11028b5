#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>

#include <functional>

// Serves this thread's events (a worker may be waiting for one of them) until condition holds
// or the deadline passes; true when the condition holds. The condition is looked at every few
// milliseconds, so it may be anything this thread can read.
[[nodiscard]] bool serveEventsUntil(const std::function<bool()>& condition, QDeadlineTimer deadline,
                                    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
