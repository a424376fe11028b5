#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the user-interface thread, so that the
// console can leave in order (port released, position and database path stored, unsaved
// changes kept) instead of vanishing. The handler only writes to a pipe; the rest runs from the
// event loop. One watcher at a time; the previous handlers come back when it is destroyed.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
};
