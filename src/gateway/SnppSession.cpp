#include "SnppSession.h"

#include "PageRequest.h"

#include <QStringDecoder>

#include <utility>

namespace {

// Clients send UTF-8 today and Latin-1 in older set-ups; bytes that are not valid UTF-8 can
// only have meant Latin-1. A byte-order mark is kept, so that the text rules refuse it rather
// than it vanishing.
QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView skipSpaces(QByteArrayView text)
{
    qsizetype at = 0;
    while (at < text.size() && isSpace(text.at(at)))
        ++at;
    return text.sliced(at);
}

// The first word and what follows it after the spaces.
std::pair<QByteArrayView, QByteArrayView> splitWord(QByteArrayView text)
{
    qsizetype end = 0;
    while (end < text.size() && !isSpace(text.at(end)))
        ++end;
    return {text.first(end), skipSpaces(text.sliced(end))};
}

QByteArrayView trimmed(QByteArrayView text)
{
    text = skipSpaces(text);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

bool isBinary(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return (code < 0x20 && c != '\t') || code == 0x7F;
}

} // namespace

SnppSession::SnppSession(bool loginRequired, RecipientCheck recipientCheck)
    : loginRequired_(loginRequired)
    , recipientCheck_(std::move(recipientCheck))
{}

QByteArray SnppSession::greeting()
{
    return QByteArrayLiteral("220 Tavolux SNPP Gateway Ready\r\n");
}

SnppSession::Step SnppSession::feed(QByteArrayView line)
{
    if (closed_ || isWaiting())
        return {};
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > MaxLineLength)
        return drop("Line Too Long");
    for (const char c : line) {
        if (isBinary(c))
            return drop("Binary Data Refused");
    }
    if (inData_)
        return dataLine(line);
    if (++commands_ > MaxCommands)
        return drop("Too Many Commands");
    const auto [word, argument] = splitWord(line);
    return command(word, argument);
}

SnppSession::Step SnppSession::command(QByteArrayView word, QByteArrayView argument)
{
    // Only the first four letters count, in any case: "PAGEr", "page" and "PAGER" are one.
    const QByteArray name = word.first(std::min<qsizetype>(word.size(), 4)).toByteArray().toUpper();
    if (name.size() < 4)
        return answer(500, QStringLiteral("Command Not Implemented, Try Again"));
    if (name == "PAGE")
        return pager(argument);
    if (name == "MESS") {
        if (message_)
            return answer(503, QStringLiteral("ERROR, Message Already Entered"));
        return message(argument.toByteArray());
    }
    if (name == "DATA") {
        if (message_)
            return answer(503, QStringLiteral("ERROR, Message Already Entered"));
        inData_ = true;
        data_.clear();
        dataLines_ = 0;
        Step step;
        step.reply = QByteArrayLiteral("354 Begin Input; End with <CRLF>'.'<CRLF>\r\n");
        return step;
    }
    if (name == "SUBJ")
        return subject(argument);
    if (name == "RESE") {
        reset();
        return answer(250, QStringLiteral("RESET OK"));
    }
    if (name == "SEND")
        return send();
    if (name == "QUIT") {
        closed_ = true;
        Step step;
        step.reply = QByteArrayLiteral("221 OK, Goodbye\r\n");
        step.close = true;
        return step;
    }
    if (name == "HELP")
        return help();
    if (name == "LOGI")
        return login(argument);
    if (name == "LEVE") {
        // Levels 2 to 7 delay the page and 8 to 11 mean something to a carrier; the unit pages
        // at once, which is what 0 (priority) and 1 (normal) ask for.
        const QByteArrayView level = trimmed(argument);
        if (level == "0" || level == "1")
            return answer(250, QStringLiteral("OK, Alternate Service Level Accepted"));
        return answer(550, QStringLiteral("Error, Invalid Service Level Specified: the unit "
                                          "pages at once, which is level 0 or 1"));
    }
    if (name == "ALER") {
        const QByteArrayView alert = trimmed(argument);
        if (alert == "1")
            return answer(250, QStringLiteral("OK, Alert Override Accepted"));
        return answer(550, QStringLiteral("Error, Invalid Alert Parameter: the unit always "
                                          "alerts the pager, which is 1"));
    }
    if (name == "HOLD")
        return answer(500, QStringLiteral("Command Not Implemented: the unit cannot hold a "
                                          "page, it pages at once"));
    if (name == "COVE")
        return answer(500, QStringLiteral("Command Not Implemented: the unit has no other "
                                          "coverage area"));
    if (name == "CALL") {
        // The unit's page record has no place for it: the page goes without.
        if (trimmed(argument).isEmpty())
            return answer(550, QStringLiteral("Error, Invalid Caller ID"));
        return answer(250, QStringLiteral("Caller ID Accepted"));
    }
    // The two-way commands of level 3 and anything else.
    return answer(500, QStringLiteral("Command Not Implemented, Try Again"));
}

SnppSession::Step SnppSession::dataLine(QByteArrayView line)
{
    if (line == ".") {
        inData_ = false;
        return message(std::exchange(data_, {}));
    }
    // A line that starts with a dot came with one more in front of it.
    if (line.startsWith('.'))
        line = line.sliced(1);
    if (data_.size() + line.size() + 1 > MaxMessageBytes)
        return drop("Message Too Long");
    if (dataLines_++ > 0)
        data_ += '\n';
    data_ += line;
    return {};
}

SnppSession::Step SnppSession::pager(QByteArrayView argument)
{
    if (loginRequired_ && loginName_.isEmpty())
        return answer(550, QStringLiteral("Error, LOGIn First: from another computer this "
                                          "gateway pages only after a login"));
    const auto [id, rest] = splitWord(argument);
    if (!rest.isEmpty())
        return answer(550, QStringLiteral("Error, Invalid Pager ID or Password: this gateway "
                                          "takes a local ID and no password"));
    const std::optional<uint16_t> localId = PageRequest::parseLocalId(QString::fromLatin1(id));
    if (!localId)
        return answer(550, QStringLiteral("Error, Invalid Pager ID: a pager ID here is the "
                                          "local ID of a pager or group, 1 to 9999"));
    if (recipients_.size() >= PageRequest::MaxRecipients)
        return answer(552, QStringLiteral("Max Recipients Exceeded"));
    if (const std::optional<QString> problem = recipientCheck_(*localId))
        return answer(550, QStringLiteral("Error, Invalid Pager ID: %1").arg(*problem));
    recipients_.append(*localId);
    return answer(250, QStringLiteral("Pager ID Accepted"));
}

SnppSession::Step SnppSession::message(const QByteArray& bytes)
{
    const QString text = decodeText(bytes);
    if (text.isEmpty())
        return answer(550, QStringLiteral("Error, Invalid Message: the message is empty"));
    if (const std::optional<QString> problem = PageRequest::textProblem(pageText(subject_, text)))
        return answer(550, QStringLiteral("Error, Invalid Message: %1").arg(*problem));
    message_ = text;
    return answer(250, QStringLiteral("Message OK"));
}

SnppSession::Step SnppSession::subject(QByteArrayView argument)
{
    const QString text = decodeText(argument);
    if (text.isEmpty())
        return answer(550, QStringLiteral("Error, Invalid Subject: the subject is empty"));
    const QString page = message_ ? pageText(text, *message_) : text;
    if (const std::optional<QString> problem = PageRequest::textProblem(page))
        return answer(550, QStringLiteral("Error, Invalid Subject: %1").arg(*problem));
    subject_ = text;
    return answer(250, QStringLiteral("Message Subject Accepted"));
}

SnppSession::Step SnppSession::login(QByteArrayView argument)
{
    // A new login replaces the one before, also when it fails, and starts afresh: pagers
    // chosen under one login are not paged under another, nor under none.
    loginName_.clear();
    reset();
    const auto [name, password] = splitWord(argument);
    if (name.isEmpty())
        return answer(550, QStringLiteral("Error, Invalid Login or Password"));
    pendingLogin_ = QString::fromLatin1(name);
    waiting_ = Waiting::Login;
    Step step;
    step.login = Login{pendingLogin_, password.toByteArray()};
    return step;
}

SnppSession::Step SnppSession::loginChecked(bool accepted)
{
    if (waiting_ != Waiting::Login)
        return {};
    waiting_ = Waiting::Nothing;
    if (accepted) {
        loginName_ = std::exchange(pendingLogin_, {});
        return answer(250, QStringLiteral("Login Accepted"));
    }
    pendingLogin_.clear();
    if (++failedLogins_ >= MaxLoginTries)
        return drop("Too Many Errors");
    Step step = answer(550, QStringLiteral("Error, Invalid Login or Password"));
    step.delayMs = failedLogins_ * LoginDelayStepMs;
    return step;
}

SnppSession::Step SnppSession::send()
{
    if (recipients_.isEmpty() || !message_)
        return answer(503, QStringLiteral("Error, Pager ID or Message Incomplete"));
    Order order{std::exchange(recipients_, {}), pageText(subject_, *message_)};
    reset();
    // The database may have changed since PAGEr.
    for (const uint16_t localId : std::as_const(order.recipients)) {
        if (const std::optional<QString> problem = recipientCheck_(localId))
            return answer(554, QStringLiteral("Error, failed: %1").arg(*problem));
    }
    waiting_ = Waiting::Send;
    Step step;
    step.order = std::move(order);
    return step;
}

SnppSession::Step SnppSession::sendEnded(const QList<PageResult>& results)
{
    if (waiting_ != Waiting::Send)
        return {};
    waiting_ = Waiting::Nothing;
    QStringList confirmed;
    const PageResult* failed = nullptr;
    for (const PageResult& result : results) {
        if (result.outcome == PageOutcome::Confirmed)
            confirmed << QString::number(result.localId);
        else if (!failed)
            failed = &result;
    }
    if (!failed && !results.isEmpty())
        return answer(250, QStringLiteral("Message Sent Successfully"));
    if (!failed)
        return answer(554, QStringLiteral("Error, failed: nothing was paged"));
    QString text = QStringLiteral("Error, failed: %1 (local ID %2")
                       .arg(outcomeReason(*failed))
                       .arg(failed->localId);
    // A client that sends again pages these a second time: it should know.
    if (!confirmed.isEmpty())
        text += QStringLiteral("; the unit has the page for %1").arg(confirmed.join(u", "));
    return answer(554, text + u')');
}

SnppSession::Step SnppSession::help() const
{
    static const char* const lines[] = {
        "Tavolux console SNPP gateway: pages the pagers and groups of the unit",
        "PAGEr <local ID>       a pager or group, 1 to 9999; several before one SEND",
        "MESSage <text>         the text, at most 200 characters (a line break counts two)",
        "DATA                   a text of several lines, ended by a line holding only \".\"",
        "SUBJect <text>         a first line above the text",
        "LOGIn <name> <password>  needed before PAGEr from another computer",
        "SEND                   answered 250 once the unit has every page, else 554 and why",
        "RESEt, HELP, QUIT; LEVEl 0 or 1, ALERt 1 and CALLerid are taken",
        "HOLDuntil and COVErage are not: the unit pages at once, in its own area",
    };
    Step step;
    for (const char* line : lines)
        step.reply += QByteArrayLiteral("214 ") + line + "\r\n";
    step.reply += QByteArrayLiteral("250 End of Help Information\r\n");
    return step;
}

void SnppSession::reset()
{
    recipients_.clear();
    message_.reset();
    subject_.reset();
}

QString SnppSession::pageText(const std::optional<QString>& subject, const QString& message)
{
    return subject ? *subject + u'\n' + message : message;
}

SnppSession::Step SnppSession::answer(int code, const QString& text)
{
    Step step;
    step.reply = QByteArray::number(code) + ' ';
    // The protocol speaks ASCII: a reason that shows the client's character names it by code
    // point and shows '?' for it.
    for (const QChar c : text)
        step.reply += c.unicode() >= 0x20 && c.unicode() < 0x7F ? char(c.unicode()) : '?';
    step.reply += "\r\n";
    // The client's own faults; a unit that fails (554) is not one.
    if (code >= 500 && code < 554 && ++errors_ >= MaxErrors) {
        step.reply += drop("Too Many Errors").reply;
        step.close = true;
    }
    return step;
}

SnppSession::Step SnppSession::drop(const char* reason)
{
    closed_ = true;
    inData_ = false;
    Step step;
    step.reply = QByteArrayLiteral("421 ") + reason + ", Goodbye\r\n";
    step.close = true;
    return step;
}
