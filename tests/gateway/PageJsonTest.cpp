// The HTTP gateway's page request and its answers, without a socket.
#include "PageJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(PageJsonTest, ReadsARequestOrSaysWhyItIsNotOne)
{
    struct Case {
        const char* body;
        QList<uint16_t> recipients;
        const char* text;
        const char* problem; // part of the reason; nullptr when the body is a request
    };
    const QList<Case> cases = {
        {R"({"to": 12, "text": "Table 4 is ready"})", {12}, "Table 4 is ready", nullptr},
        {R"({"text": "x", "to": [12, 40, 12]})", {12, 40, 12}, "x", nullptr},
        {R"({"to": [9999, 1], "text": ""})", {9999, 1}, "", nullptr},
        {R"({"to": 12.0, "text": "caf\u00e9\nok"})", {12}, "caf\u00e9\nok", nullptr},
        {R"({"to": [], "text": "x"})", {}, "x", nullptr},
        {"", {}, nullptr, "the body is empty"},
        {"  \r\n", {}, nullptr, "the body is empty"},
        {R"({"to": 12, "text": "x")", {}, nullptr, "not JSON"},
        {R"({"to": 12, "text": "x"} trailing)", {}, nullptr, "not JSON"},
        {"\xff\xfe", {}, nullptr, "not JSON"},
        {R"([12, "x"])", {}, nullptr, "must be a JSON object"},
        {R"("page")", {}, nullptr, "not JSON"},
        {R"({"to": 12, "text": "x", "from": "till"})", {}, nullptr, "unknown field \"from\""},
        {R"({"text": "x"})", {}, nullptr, "\"to\" is missing"},
        {R"({"to": 12})", {}, nullptr, "\"text\" is missing"},
        {R"({"to": "12", "text": "x"})", {}, nullptr, "\"to\" holds a string"},
        {R"({"to": null, "text": "x"})", {}, nullptr, "\"to\" holds null"},
        {R"({"to": {"id": 12}, "text": "x"})", {}, nullptr, "\"to\" holds an object"},
        {R"({"to": [12, [40]], "text": "x"})", {}, nullptr, "\"to\" holds a list"},
        {R"({"to": [12, true], "text": "x"})", {}, nullptr, "\"to\" holds a boolean"},
        {R"({"to": 0, "text": "x"})", {}, nullptr, "0, which is not a local ID"},
        {R"({"to": 10000, "text": "x"})", {}, nullptr, "10000, which is not a local ID"},
        {R"({"to": -12, "text": "x"})", {}, nullptr, "-12, which is not a local ID"},
        {R"({"to": 12.5, "text": "x"})", {}, nullptr, "12.5, which is not a local ID"},
        {R"({"to": 1e300, "text": "x"})", {}, nullptr, "which is not a local ID"},
        {R"({"to": 12, "text": 4})", {}, nullptr, "\"text\" must be a string, not 4"},
        {R"({"to": 12, "text": ["a"]})", {}, nullptr, "\"text\" must be a string, not a list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const auto parsed = PageJson::parse(QByteArray(c.body));
        if (c.problem) {
            const QString* problem = std::get_if<QString>(&parsed);
            ASSERT_TRUE(problem) << "accepted";
            EXPECT_TRUE(problem->contains(QString::fromUtf8(c.problem))) << problem->toStdString();
        } else {
            const PageJson::Request* request = std::get_if<PageJson::Request>(&parsed);
            ASSERT_TRUE(request) << std::get<QString>(parsed).toStdString();
            EXPECT_EQ(request->recipients, c.recipients);
            EXPECT_EQ(request->text, QString::fromUtf8(c.text));
        }
    }
}

TEST(PageJsonTest, AnswerNamesEachPagesOutcomeAndTheStatusNamesTheFirstFailure)
{
    struct Case {
        const char* what;
        QList<PageOutcome> outcomes;
        PageJson::Status status;
    };
    using O = PageOutcome;
    const QList<Case> cases = {
        {"all confirmed", {O::Confirmed, O::Confirmed}, PageJson::Ok},
        {"offline", {O::Offline, O::Offline}, PageJson::ServiceUnavailable},
        {"refused, then dropped", {O::Confirmed, O::Refused, O::Dropped}, PageJson::BadGateway},
        {"line lost", {O::LineLost, O::Dropped}, PageJson::BadGateway},
        {"no response", {O::Confirmed, O::NoResponse}, PageJson::GatewayTimeout},
        {"dropped alone", {O::Dropped}, PageJson::ServiceUnavailable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QList<PageResult> results;
        for (int i = 0; i < c.outcomes.size(); ++i)
            results.append({static_cast<uint16_t>(10 + i), c.outcomes.at(i), {}});
        EXPECT_EQ(PageJson::status(results), c.status);

        const QJsonObject answer = QJsonDocument::fromJson(PageJson::answer(results)).object();
        const QJsonArray pages = answer.value(QStringLiteral("pages")).toArray();
        ASSERT_EQ(pages.size(), results.size());
        QString firstReason;
        for (int i = 0; i < pages.size(); ++i) {
            const QJsonObject page = pages.at(i).toObject();
            EXPECT_EQ(page.value(QStringLiteral("to")).toInt(), results.at(i).localId);
            EXPECT_EQ(page.value(QStringLiteral("outcome")).toString(),
                      outcomeName(results.at(i).outcome));
            const bool confirmed = results.at(i).outcome == PageOutcome::Confirmed;
            EXPECT_EQ(page.value(QStringLiteral("reason")).toString(),
                      confirmed ? QString() : outcomeReason(results.at(i)));
            if (!confirmed && firstReason.isEmpty())
                firstReason = outcomeReason(results.at(i));
        }
        EXPECT_EQ(answer.value(QStringLiteral("error")).toString(), firstReason);
        EXPECT_EQ(answer.contains(QStringLiteral("error")), c.status != PageJson::Ok);
    }
}

TEST(PageJsonTest, ErrorAndStatusBodiesAreJson)
{
    EXPECT_EQ(QJsonDocument::fromJson(PageJson::error(QStringLiteral("say \"why\"\n")))
                  .object()
                  .value(QStringLiteral("error"))
                  .toString(),
              QStringLiteral("say \"why\"\n"));
    EXPECT_EQ(PageJson::unitStatus(true), QByteArray(R"({"connected":true})"));
    EXPECT_EQ(PageJson::unitStatus(false), QByteArray(R"({"connected":false})"));
}
