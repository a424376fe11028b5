#pragma once

#include "PageDesk.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// One SNPP connection's side of the conversation, without the socket: the caller hands it each
// line the client sent (without its line end) and writes back what it answers. A LOGIn and a
// SEND need work the session cannot do itself (a slow password check, the unit's answer); it
// hands them out, and the caller gives the result back before it feeds another line.
//
// What the unit cannot do is refused rather than pretended: no delayed page, no other coverage
// area, no page that does not alert. A text the message box would refuse is refused with the
// reason, never cut.
class SnppSession {
public:
    // Bounds on what one client may ask of the console. A client that breaks one is answered
    // 421 and dropped.
    static constexpr int MaxLineLength = 1024;   // bytes, without the line end
    static constexpr int MaxMessageBytes = 8192; // the lines of one DATA together
    static constexpr int MaxCommands = 500;
    static constexpr int MaxErrors = 20; // answers of the 500s before the client is dropped
    static constexpr int MaxLoginTries = 3;
    // A wrong login is answered this much later for each wrong one before it on the connection.
    static constexpr int LoginDelayStepMs = 1000;

    // Why no page can go to this local ID, or nothing: the database's say, asked at PAGEr and
    // again at SEND.
    using RecipientCheck = std::function<std::optional<QString>(uint16_t localId)>;

    struct Login {
        QString name;
        QByteArray password;
    };
    struct Order {
        QList<uint16_t> recipients;
        QString text;
    };

    // What to do after a line.
    struct Step {
        QByteArray reply;           // whole lines, each ended by CR LF
        std::optional<Login> login; // check it, then loginChecked()
        std::optional<Order> order; // submit it, then sendEnded()
        int delayMs = 0;            // write the reply only this much later
        bool close = false;         // once the reply is written
    };

    SnppSession(bool loginRequired, RecipientCheck recipientCheck);

    static QByteArray greeting();

    // Only while nothing is waiting and the session is not closed.
    Step feed(QByteArrayView line);
    Step loginChecked(bool accepted);
    Step sendEnded(const QList<PageResult>& results);

    // A LOGIn or a SEND is out: no line may be fed until its answer came back.
    bool isWaiting() const { return waiting_ != Waiting::Nothing; }
    bool isClosed() const { return closed_; }
    // The login accepted on this connection, empty while there is none.
    const QString& loginName() const { return loginName_; }

private:
    enum class Waiting { Nothing, Login, Send };

    Step command(QByteArrayView word, QByteArrayView argument);
    Step dataLine(QByteArrayView line);
    Step pager(QByteArrayView argument);
    Step message(const QByteArray& bytes);
    Step subject(QByteArrayView argument);
    Step login(QByteArrayView argument);
    Step send();
    Step help() const;
    void reset();
    // The page text the pagers would get: the subject, if any, on a line of its own above.
    static QString pageText(const std::optional<QString>& subject, const QString& message);

    // Counts the answers of the 500s; past the bound, the client is told goodbye.
    Step answer(int code, const QString& text);
    Step drop(const char* reason);

    bool loginRequired_;
    RecipientCheck recipientCheck_;

    QString loginName_;
    QString pendingLogin_;
    int failedLogins_ = 0;

    QList<uint16_t> recipients_;
    std::optional<QString> message_;
    std::optional<QString> subject_;
    bool inData_ = false;
    QByteArray data_;
    int dataLines_ = 0;

    int commands_ = 0;
    int errors_ = 0;
    Waiting waiting_ = Waiting::Nothing;
    bool closed_ = false;
};
