// Pages from outside the window, through the real session and the simulated unit on a pty.
#include "OnlineSite.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class PageDeskTest : public OnlineSite {
protected:
    // Submits and waits for the answer.
    std::optional<QList<PageResult>> page(const QList<uint16_t>& recipients, const QString& text)
    {
        std::optional<QList<PageResult>> answer;
        desk_.submit(recipients, text, {PageOrigin::Source::Http, QStringLiteral("::1"), {}},
                     &context_, [&answer](const QList<PageResult>& results) { answer = results; });
        EXPECT_FALSE(answer) << "answered before submit returned";
        static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, 15000));
        return answer;
    }

    static QList<PageOutcome> outcomes(const QList<PageResult>& results)
    {
        QList<PageOutcome> found;
        for (const PageResult& result : results)
            found.append(result.outcome);
        return found;
    }

    QObject context_;
};

} // namespace

TEST_F(PageDeskTest, ChecksRecipientsAndTextBeforeAnythingIsQueued)
{
    struct Case {
        const char* what;
        QList<uint16_t> recipients;
        QString text;
        const char* problem; // part of the answer; nullptr when the request is good
    };
    const QList<Case> cases = {
        {"a pager and a group", {12, 7}, QStringLiteral("Table 4"), nullptr},
        {"no recipient", {}, QStringLiteral("x"), "no recipient"},
        {"an ID the database lacks", {12, 13}, QStringLiteral("x"), "local ID 13"},
        {"local ID 0", {0}, QStringLiteral("x"), "not a local ID"},
        {"too many recipients", QList<uint16_t>(101, 12), QStringLiteral("x"), "at most 100"},
        {"201 characters", {12}, QString(201, u'a'), "201 characters"},
        {"100 line breaks and a letter", {12}, QString(100, u'\n') + u'a', "201 characters"},
        {"200 characters", {12}, QString(200, u'a'), nullptr},
        {"a character the unit cannot show", {12}, QStringLiteral("caf\u00e9 \u20ac"), "U+20AC"},
        {"the record separator",
         {12},
         QStringLiteral("a\x1e"
                        "b"),
         "U+001E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<QString> problem = desk_.check(c.recipients, c.text);
        if (!c.problem)
            EXPECT_FALSE(problem) << problem->toStdString();
        else
            EXPECT_TRUE(problem && problem->contains(QLatin1String(c.problem)))
                << (problem ? problem->toStdString() : "accepted");
    }
}

TEST_F(PageDeskTest, AnswersOnlyOnceTheUnitConfirmedEveryPage)
{
    startOnline();
    QStringList taken;
    QObject::connect(&desk_, &PageDesk::pageTaken,
                     [&taken](const QString& source, uint16_t id, const QString&) {
                         taken << QStringLiteral("%1 %2").arg(source).arg(id);
                     });
    const auto results = page({12, 7}, QStringLiteral("Table 4 is ready"));
    ASSERT_TRUE(results);
    EXPECT_EQ(outcomes(*results),
              (QList<PageOutcome>{PageOutcome::Confirmed, PageOutcome::Confirmed}));
    const QList<QJsonObject> pages = unit_->events(QStringLiteral("page"));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].value(QStringLiteral("text")).toString(),
              QStringLiteral("12\x1eTable 4 is ready\x1e"));
    EXPECT_EQ(pages[1].value(QStringLiteral("text")).toString(),
              QStringLiteral("7\x1eTable 4 is ready\x1e"));
    EXPECT_EQ(taken, (QStringList{QStringLiteral("HTTP ::1 12"), QStringLiteral("HTTP ::1 7")}));
    EXPECT_TRUE(host_.alerted.isEmpty());
}

TEST_F(PageDeskTest, OfflineAnswersAtOnceWithoutTheConsolesAlert)
{
    const auto results = page({12}, QStringLiteral("x"));
    ASSERT_TRUE(results);
    EXPECT_EQ(outcomes(*results), QList<PageOutcome>{PageOutcome::Offline});
    EXPECT_TRUE(host_.alerted.isEmpty());
    EXPECT_TRUE(session_.pageQueue().isEmpty());
}

TEST_F(PageDeskTest, AFailedPageNamesWhyAndTheRestAreDropped)
{
    struct Case {
        const char* what;
        QStringList unitOptions;
        PageOutcome first;
    };
    const QList<Case> cases = {
        {"silent",
         {QStringLiteral("--silent-after"), QStringLiteral("0")},
         PageOutcome::NoResponse},
        {"refused",
         {QStringLiteral("--refuse-length"), QStringLiteral("f9")},
         PageOutcome::Refused},
        {"hung up", {QStringLiteral("--hangup-after"), QStringLiteral("0")}, PageOutcome::LineLost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startOnline(c.unitOptions +
                    QStringList{QStringLiteral("--fault-type"), QStringLiteral("4")});
        const auto results = page({12, 40}, QStringLiteral("x"));
        ASSERT_TRUE(results);
        EXPECT_EQ(outcomes(*results), (QList<PageOutcome>{c.first, PageOutcome::Dropped}));
        EXPECT_FALSE(results->first().message.isEmpty()) << "the user's message is kept";
        EXPECT_FALSE(session_.isOnline());
        session_.portSlot().reset();
    }
}

TEST_F(PageDeskTest, ASenderThatLeftIsNotCalled)
{
    startOnline();
    bool called = false;
    {
        QObject gone;
        desk_.submit({12}, QStringLiteral("x"), {PageOrigin::Source::Http, {}, {}}, &gone,
                     [&called](const QList<PageResult>&) { called = true; });
    }
    ASSERT_TRUE(unit_->waitForEvents(QStringLiteral("page"), 1));
    QTest::qWait(400);
    EXPECT_FALSE(called);
    EXPECT_TRUE(session_.pageQueue().isEmpty());
}
