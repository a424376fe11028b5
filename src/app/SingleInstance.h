#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running console per user. The first start holds a lock file and listens on a local socket;
// a later start finds the lock taken, asks the running console to come to the front and ends.
// A lock left behind by a crashed run is recognised by its dead process and taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What the running console answers, so that a caller knows it reached the right program.
    static constexpr const char* ActivationMessage =
        "UWM_TAVOLUX3EXISTS-{A4AFB06E-5A69-4e0d-A645-8BB7625AF04F}";

    explicit SingleInstance(const QString& name = QStringLiteral("TAVOLUX3EXISTS"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running console.
    bool tryBecomePrimary();
    // Asks the running console to come to the front; true when it answered within the time-out.
    bool activateRunningInstance(int timeoutMs = 200) const;

    QString serverName() const { return serverName_; }

signals:
    void activationRequested();

private:
    void answerConnection();

    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};
