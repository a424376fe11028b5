#pragma once

#include "PageDesk.h"

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

// One running console (or headless service) per user. The first start holds a lock file and
// listens on a local socket; a later start finds the lock taken, asks the running one to come to
// the front and ends. A lock left behind by a crashed run is recognised by its dead process and
// taken over.
//
// The same socket takes pages from tavolux-cli, so that a command-line page does not need the
// port the running console holds. Each connection carries one line and gets one line back:
//   activation:  the ActivationMessage, answered with itself;
//   page:        "PAGE <localId> <text as Base64 of UTF-8>", answered once the page has ended with
//                "PAGED <outcome> <message as Base64 of UTF-8>" (outcome as outcomeName() gives
//                it, blanks as "-"), or "REFUSED <reason as Base64>" when the request breaks the
//                page rules, in which case nothing is queued.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What the running console answers, so that a caller knows it reached the right program.
    static constexpr const char* ActivationMessage =
        "UWM_TAVOLUX3EXISTS-{A4AFB06E-5A69-4e0d-A645-8BB7625AF04F}";
    // What the headless service answers instead: it has no window to bring to the front.
    static constexpr const char* ServiceMessage = "TAVOLUX-SERVE-RUNNING";
    // A request line longer than this is no request of ours: the caller is dropped.
    static constexpr int MaxLineBytes = 2048;
    // A caller that has not ended its line by then is dropped.
    static constexpr int RequestTimeoutMs = 5000;

    explicit SingleInstance(const QString& name = QStringLiteral("TAVOLUX3EXISTS"),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running console.
    bool tryBecomePrimary();
    // The running one is the headless service: a later console is told so instead of being
    // brought to a window that does not exist.
    void answerAsService() { service_ = true; }

    enum class Running {
        None,    // nothing answered within the time-out
        Console, // it has come to the front
        Service,
    };
    // Asks the running console to come to the front.
    Running activateRunningInstance(int timeoutMs = 200) const;

    // Where the pages handed over are queued; without a desk they are answered offline.
    void setPageDesk(PageDesk* desk) { desk_ = desk; }

    // What became of a page handed to the running console.
    struct Handover {
        enum class Reach {
            NoneRunning, // nothing answers on the socket: the caller pages itself
            Answered,    // result or refusal holds the answer
            NoAnswer,    // the console took the request but did not answer in time
            Closed,      // the console took the request but ended before it answered
        };
        Reach reach = Reach::NoneRunning;
        PageResult result;
        std::optional<QString> refusal;
    };
    // Hands one page to the running console and waits for its answer. connectTimeoutMs bounds
    // finding it, answerTimeoutMs the wait for the page to end there.
    Handover handPage(uint16_t localId, const QString& text, int connectTimeoutMs,
                      int answerTimeoutMs) const;

    QString serverName() const { return serverName_; }

signals:
    void activationRequested();

private:
    void answerConnection();
    void answerLine(QLocalSocket* socket, const QByteArray& line);
    void answerPage(QLocalSocket* socket, const QByteArray& request);

    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    QPointer<PageDesk> desk_;
    bool service_ = false;
};
