#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include "ChildProcess.h"

#include <memory>

// The simulated unit as a process of its own, on a pseudo-terminal linked into a private
// folder, recording what it receives in a log the test reads.
class SimulatedUnit {
public:
    // linkPath: where the unit's line appears; by default in the unit's own folder. A unit
    // started at the path of one that is gone plays the same unit switched on again.
    explicit SimulatedUnit(const QStringList& options = {}, const QString& linkPath = {})
        : linkPath_(linkPath.isEmpty() ? dir_.filePath(QStringLiteral("unit")) : linkPath)
    {
        process_ = std::make_unique<ChildProcess>(
            QStringLiteral(TAVOLUX_UNITSIM),
            options +
                QStringList{QStringLiteral("--link"), path(), QStringLiteral("--log"), logPath()});
        // The unit says where it is once it is listening.
        started_ = process_->started() && process_->readLine().contains("unit on");
    }
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    bool started() const { return started_; }
    // Ends the unit at once, as a crash or a pulled cable would.
    void kill() { process_->kill(); }
    // Switches on a unit started with --boot-loader.
    void powerOn() { process_->signal(SIGUSR1); }
    QString path() const { return linkPath_; }
    QString logPath() const { return dir_.filePath(QStringLiteral("unit.log")); }

    // The events the unit logged, all or those of one kind, oldest first.
    QList<QJsonObject> events(const QString& name = {}) const
    {
        QList<QJsonObject> found;
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return found;
        while (!log.atEnd()) {
            const QJsonObject event = QJsonDocument::fromJson(log.readLine()).object();
            if (name.isEmpty() || event.value(QStringLiteral("event")).toString() == name)
                found << event;
        }
        return found;
    }

    bool waitForEvents(const QString& name, int count, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([&] { return events(name).size() >= count; }, timeoutMs);
    }

private:
    QTemporaryDir dir_;
    QString linkPath_;
    std::unique_ptr<ChildProcess> process_;
    bool started_ = false;
};
