// A body sent to the HTTP gateway's POST /pages, from any bytes a peer may send. It is a page
// request or it is refused with a reason; a request holds only local IDs the unit knows and
// reads the same when written back; the answers built from it are JSON that says what they
// were given.
#include "FuzzCheck.h"
#include "PageJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto parsed = PageJson::parse(body);

    if (const QString* problem = std::get_if<QString>(&parsed)) {
        FUZZ_CHECK(!problem->isEmpty());
        const QJsonObject error = QJsonDocument::fromJson(PageJson::error(*problem)).object();
        FUZZ_CHECK(error.value(QStringLiteral("error")).toString() == *problem);
        return 0;
    }

    const PageJson::Request& request = std::get<PageJson::Request>(parsed);
    QJsonArray ids;
    QList<PageResult> results;
    for (const uint16_t id : request.recipients) {
        FUZZ_CHECK(id >= 1 && id <= 9999);
        ids.append(id);
        results.append({id, static_cast<PageOutcome>(id % 6), {}});
    }

    // Written back, the request reads the same.
    const QByteArray again = QJsonDocument(QJsonObject{{QStringLiteral("to"), ids},
                                                       {QStringLiteral("text"), request.text}})
                                 .toJson(QJsonDocument::Compact);
    const auto reread = PageJson::parse(again);
    const PageJson::Request* same = std::get_if<PageJson::Request>(&reread);
    FUZZ_CHECK(same);
    FUZZ_CHECK(same->recipients == request.recipients);
    FUZZ_CHECK(same->text == request.text);

    // The answer lists every page in order, and says why when one did not go.
    const QJsonObject answer = QJsonDocument::fromJson(PageJson::answer(results)).object();
    const QJsonArray pages = answer.value(QStringLiteral("pages")).toArray();
    FUZZ_CHECK(pages.size() == results.size());
    for (qsizetype i = 0; i < pages.size(); ++i)
        FUZZ_CHECK(pages.at(i).toObject().value(QStringLiteral("to")).toInt() ==
                   results.at(i).localId);
    FUZZ_CHECK(answer.contains(QStringLiteral("error")) ==
               (PageJson::status(results) != PageJson::Ok));
    return 0;
}
