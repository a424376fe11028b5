#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The simulated unit as a process of its own, on a pseudo-terminal linked into a private
// folder, recording what it receives in a log the test reads.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options = {})
    {
        QStringList arguments = options;
        arguments << QStringLiteral("--link") << path() << QStringLiteral("--log") << logPath();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TAVOLUX_UNITSIM), arguments);
        started_ = process_.waitForReadyRead(10000) && process_.readLine().contains("unit on");
    }
    ~SimulatedUnit()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000))
                process_.kill();
            process_.waitForFinished(3000);
        }
    }
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    bool started() const { return started_; }
    QString path() const { return dir_.filePath(QStringLiteral("unit")); }
    QString logPath() const { return dir_.filePath(QStringLiteral("unit.log")); }
    QProcess& process() { return process_; }

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
    QProcess process_;
    bool started_ = false;
};
