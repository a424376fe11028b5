#include "PageJson.h"

#include "ConfigurationImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>

namespace PageJson {

namespace {

const QString ToKey = QStringLiteral("to");
const QString TextKey = QStringLiteral("text");

QString describe(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

std::variant<uint16_t, QString> localId(const QJsonValue& value)
{
    const double number = value.toDouble();
    if (value.isDouble() && number >= 1 && number <= ConfigurationImage::MaxLocalId &&
        std::floor(number) == number)
        return static_cast<uint16_t>(number);
    return QStringLiteral("\"to\" holds %1, which is not a local ID (a whole number from 1 to %2)")
        .arg(describe(value))
        .arg(ConfigurationImage::MaxLocalId);
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

std::variant<Request, QString> parse(const QByteArray& body)
{
    if (body.trimmed().isEmpty())
        return QStringLiteral("the body is empty: send {\"to\": ID, \"text\": \"...\"}");
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return QStringLiteral("the body is not JSON: %1 at byte %2")
            .arg(parseError.errorString())
            .arg(parseError.offset);
    if (!document.isObject())
        return QStringLiteral("the body must be a JSON object with \"to\" and \"text\"");
    const QJsonObject object = document.object();
    for (auto field = object.constBegin(); field != object.constEnd(); ++field) {
        if (field.key() != ToKey && field.key() != TextKey)
            return QStringLiteral("unknown field \"%1\": a page has only \"to\" and \"text\"")
                .arg(field.key());
    }

    Request request;
    const QJsonValue to = object.value(ToKey);
    if (to.isUndefined())
        return QStringLiteral("\"to\" is missing: a local ID or a list of them");
    if (to.isArray()) {
        const QJsonArray list = to.toArray();
        for (const QJsonValue& entry : list) {
            const auto id = localId(entry);
            if (const QString* problem = std::get_if<QString>(&id))
                return *problem;
            request.recipients.append(std::get<uint16_t>(id));
        }
    } else {
        const auto id = localId(to);
        if (const QString* problem = std::get_if<QString>(&id))
            return *problem;
        request.recipients.append(std::get<uint16_t>(id));
    }

    const QJsonValue text = object.value(TextKey);
    if (text.isUndefined())
        return QStringLiteral("\"text\" is missing: the page's text");
    if (!text.isString())
        return QStringLiteral("\"text\" must be a string, not %1").arg(describe(text));
    request.text = text.toString();
    return request;
}

Status status(const QList<PageResult>& results)
{
    for (const PageResult& result : results) {
        switch (result.outcome) {
        case PageOutcome::Confirmed:
            continue;
        case PageOutcome::Offline:
        case PageOutcome::Dropped:
            return ServiceUnavailable;
        case PageOutcome::Refused:
        case PageOutcome::LineLost:
            return BadGateway;
        case PageOutcome::NoResponse:
            return GatewayTimeout;
        }
    }
    return Ok;
}

QByteArray answer(const QList<PageResult>& results)
{
    QJsonArray pages;
    QString firstReason;
    for (const PageResult& result : results) {
        QJsonObject page{{ToKey, result.localId},
                         {QStringLiteral("outcome"), outcomeName(result.outcome)}};
        if (result.outcome != PageOutcome::Confirmed) {
            const QString reason = outcomeReason(result);
            page.insert(QStringLiteral("reason"), reason);
            if (firstReason.isEmpty())
                firstReason = reason;
        }
        pages.append(page);
    }
    QJsonObject object{{QStringLiteral("pages"), pages}};
    if (!firstReason.isEmpty())
        object.insert(QStringLiteral("error"), firstReason);
    return compact(object);
}

QByteArray error(const QString& why)
{
    return compact(QJsonObject{{QStringLiteral("error"), why}});
}

QByteArray unitStatus(bool connected)
{
    return compact(QJsonObject{{QStringLiteral("connected"), connected}});
}

} // namespace PageJson
