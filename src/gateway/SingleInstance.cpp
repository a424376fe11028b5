#include "SingleInstance.h"

#include "PageRequest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>

#include <array>
#include <unistd.h>

namespace {

// Per user: another user on the same machine runs a console of their own. The user's runtime
// folder is not swept by temporary-file cleaners while the user is logged in.
QString perUserPath(const QString& name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("%1-%2").arg(name).arg(::getuid()));
}

const QByteArray PageWord = QByteArrayLiteral("PAGE");
const QByteArray PagedWord = QByteArrayLiteral("PAGED");
const QByteArray RefusedWord = QByteArrayLiteral("REFUSED");

constexpr std::array AllOutcomes{PageOutcome::Confirmed, PageOutcome::Offline,
                                 PageOutcome::Refused,   PageOutcome::NoResponse,
                                 PageOutcome::LineLost,  PageOutcome::Dropped};

// Base64 keeps line breaks and every other character of a text off the line's own syntax.
QByteArray encodeText(const QString& text)
{
    return text.toUtf8().toBase64();
}

// Only well-formed Base64 of well-formed UTF-8: anything else is no text of ours.
std::optional<QString> decodeText(const QByteArray& encoded)
{
    const QByteArray::FromBase64Result bytes = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(*bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

QByteArray outcomeToken(PageOutcome outcome)
{
    return outcomeName(outcome).toLatin1().replace(' ', '-');
}

// The line without its end; callers have made sure it ends.
QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , serverName_(perUserPath(name))
    , lock_(perUserPath(name) + QStringLiteral(".lock"))
{
    // Only a dead owner makes a lock stale; a long-running console keeps its lock.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryBecomePrimary()
{
    if (!lock_.tryLock(0))
        return false;
    server_ = std::make_unique<QLocalServer>();
    // The lock is ours, so a socket file still lying there belongs to a run that crashed.
    QLocalServer::removeServer(serverName_);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::answerConnection);
    server_->listen(serverName_);
    return true;
}

void SingleInstance::answerConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A caller that never ends its line must not keep its connection.
        auto* lineTimer = new QTimer(socket);
        lineTimer->setSingleShot(true);
        connect(lineTimer, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        lineTimer->start(RequestTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, lineTimer] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() >= MaxLineBytes) {
                    socket->abort();
                    socket->deleteLater();
                }
                return;
            }
            // One request a connection: whatever follows its line is not read.
            lineTimer->stop();
            disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
            const QByteArray line = socket->readLine(MaxLineBytes + 1);
            if (!line.endsWith('\n')) {
                socket->abort();
                socket->deleteLater();
                return;
            }
            answerLine(socket, withoutLineEnd(line));
        });
    }
}

void SingleInstance::answerLine(QLocalSocket* socket, const QByteArray& line)
{
    if (line.trimmed() == ActivationMessage) {
        socket->write(QByteArray(service_ ? ServiceMessage : ActivationMessage) + '\n');
        socket->flush();
        if (!service_)
            emit activationRequested();
    } else if (line.startsWith(PageWord + ' ')) {
        answerPage(socket, line);
        return;
    }
    socket->disconnectFromServer();
}

void SingleInstance::answerPage(QLocalSocket* socket, const QByteArray& request)
{
    // Written at once: a service that is ending answers its dropped pages on its way out.
    const auto answer = [socket](const QByteArray& reply) {
        socket->write(reply + '\n');
        socket->flush();
        socket->disconnectFromServer();
    };
    const auto refuse = [&answer](const QString& reason) {
        answer(RefusedWord + ' ' + encodeText(reason));
    };
    const QList<QByteArray> parts = request.split(' ');
    const std::optional<uint16_t> localId =
        parts.size() == 3 ? PageRequest::parseLocalId(QString::fromLatin1(parts[1])) : std::nullopt;
    if (!localId)
        return refuse(QStringLiteral("a page needs a local ID of 0 to 9999, digits only"));
    const std::optional<QString> text = decodeText(parts[2]);
    if (!text)
        return refuse(QStringLiteral("the page text did not arrive whole"));
    if (const std::optional<QString> problem = PageRequest::textProblem(*text))
        return refuse(*problem);
    if (!desk_) {
        return answer(PagedWord + ' ' + outcomeToken(PageOutcome::Offline) + ' ');
    }
    desk_->submit({*localId}, *text, {PageOrigin::Source::CommandLine, QStringLiteral("local"), {}},
                  socket, [answer](const QList<PageResult>& results) {
                      const PageResult& result = results.first();
                      answer(PagedWord + ' ' + outcomeToken(result.outcome) + ' ' +
                             encodeText(result.message));
                  });
}

SingleInstance::Running SingleInstance::activateRunningInstance(int timeoutMs) const
{
    // One time-out for the whole exchange: a console that hangs must not hold up this start.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(deadline.remainingTime()))
        return Running::None;
    socket.write(QByteArray(ActivationMessage) + '\n');
    if (!socket.waitForBytesWritten(deadline.remainingTime()))
        return Running::None;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(deadline.remainingTime()))
            return Running::None;
    }
    const QByteArray answer = socket.readLine().trimmed();
    if (answer == ActivationMessage)
        return Running::Console;
    return answer == ServiceMessage ? Running::Service : Running::None;
}

SingleInstance::Handover SingleInstance::handPage(uint16_t localId, const QString& text,
                                                  int connectTimeoutMs, int answerTimeoutMs) const
{
    Handover handover;
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(connectTimeoutMs))
        return handover;
    // From here the page may be on its way: whatever happens, this caller must not page itself.
    handover.reach = Handover::Reach::NoAnswer;
    const QDeadlineTimer deadline(answerTimeoutMs);
    socket.write(PageWord + ' ' + QByteArray::number(localId) + ' ' + encodeText(text) + '\n');
    if (!socket.waitForBytesWritten(deadline.remainingTime()))
        return handover;
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() >= MaxLineBytes || deadline.hasExpired())
            return handover;
        if (!socket.waitForReadyRead(deadline.remainingTime())) {
            if (socket.state() == QLocalSocket::UnconnectedState)
                handover.reach = Handover::Reach::Closed;
            return handover;
        }
    }
    const QList<QByteArray> parts = withoutLineEnd(socket.readLine(MaxLineBytes + 1)).split(' ');
    if (parts.size() == 2 && parts[0] == RefusedWord) {
        if (const std::optional<QString> reason = decodeText(parts[1])) {
            handover.reach = Handover::Reach::Answered;
            handover.refusal = *reason;
        }
        return handover;
    }
    if (parts.size() != 3 || parts[0] != PagedWord)
        return handover;
    const std::optional<QString> message = decodeText(parts[2]);
    for (const PageOutcome outcome : AllOutcomes) {
        if (message && parts[1] == outcomeToken(outcome)) {
            handover.reach = Handover::Reach::Answered;
            handover.result = {localId, outcome, *message};
        }
    }
    return handover;
}
