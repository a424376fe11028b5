// Every way a page comes in leaves one row in the history with the way it ended: the gateway's
// listeners with real clients, the command line on its own port, and the unit's faults, all
// through the real session to the simulated unit on a pty.
#include "../gateway/OnlineSite.h"
#include "../support/CliRunner.h"
#include "../support/GatewayClients.h"
#include "../support/SimulatedUnit.h"
#include "Credentials.h"
#include "Database.h"
#include "Gateway.h"
#include "GatewaySettings.h"
#include "HistoryFixture.h"
#include "PageRecorder.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

namespace {

// The rows, oldest first, as "recipient outcome reason".
QStringList summary(const QList<PageHistoryEntry>& rows)
{
    QStringList lines;
    for (const PageHistoryEntry& row : rows)
        lines << QStringLiteral("%1 %2 %3")
                     .arg(row.recipient)
                     .arg(historyOutcomeKey(row.outcome), row.reason)
                     .trimmed();
    return lines;
}

class PageSourcesTest : public OnlineSite {
protected:
    void SetUp() override
    {
        OnlineSite::SetUp();
        history_ = std::make_unique<PageHistory>(path());
        recorder_ =
            std::make_unique<PageRecorder>(session_, *history_, [](const PageOrigin&, uint32_t id) {
                return id == 12 ? QStringLiteral("Bar staff") : QString();
            });
    }

    QString path() const { return folder_.filePath(QStringLiteral("pages.sqlite")); }

    QList<PageHistoryEntry> rows()
    {
        EXPECT_TRUE(history_->flush(10000));
        PageHistoryReader reader;
        EXPECT_FALSE(reader.open(path()));
        return reader.rows({}, {HistoryColumn::Queued, true}, 0, 1000);
    }

    // Submits through the desk and serves events until it has answered.
    void page(const QList<uint16_t>& recipients, const PageOrigin& origin)
    {
        bool answered = false;
        QObject context;
        desk_.submit(recipients, QStringLiteral("Table 4"), origin, &context,
                     [&answered](const QList<PageResult>&) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&answered] { return answered; }, 20000));
    }

    QTemporaryDir folder_;
    std::unique_ptr<PageHistory> history_;
    std::unique_ptr<PageRecorder> recorder_;
};

} // namespace

TEST_F(PageSourcesTest, EachEndOfAPageLeavesOneRow)
{
    struct Case {
        const char* what;
        std::optional<QStringList> unitOptions; // nothing: the console stays offline
        QStringList expected;
    };
    const QStringList faultOnPages{QStringLiteral("--fault-type"), QStringLiteral("4")};
    const QList<Case> cases = {
        {"confirmed", QStringList(), {"12 confirmed", "40 confirmed"}},
        {"silent",
         QStringList{QStringLiteral("--silent-after"), QStringLiteral("0")} + faultOnPages,
         {"12 failed no response", "40 dropped dropped"}},
        {"refused",
         QStringList{QStringLiteral("--refuse-length"), QStringLiteral("f9")} + faultOnPages,
         {"12 failed refused by the unit", "40 dropped dropped"}},
        {"hung up",
         QStringList{QStringLiteral("--hangup-after"), QStringLiteral("0")} + faultOnPages,
         {"12 failed line lost", "40 dropped dropped"}},
        {"offline", std::nullopt, {"12 refused not connected", "40 refused not connected"}},
    };
    const PageOrigin origin{PageOrigin::Source::Http, QStringLiteral("127.0.0.1"),
                            QStringLiteral("till")};
    qint64 seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.unitOptions)
            startOnline(*c.unitOptions);
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        page({12, 40}, origin);
        const QList<PageHistoryEntry> all = rows();
        const QList<PageHistoryEntry> fresh = all.mid(seen);
        seen = all.size();
        EXPECT_EQ(summary(fresh), c.expected);
        for (const PageHistoryEntry& row : fresh) {
            EXPECT_EQ(row.origin, origin);
            EXPECT_EQ(row.text, QStringLiteral("Table 4"));
            EXPECT_GE(row.queuedMs, before);
            EXPECT_GE(row.answerMs(), 0);
            EXPECT_EQ(row.name, row.recipient == 12 ? QStringLiteral("Bar staff") : QString());
        }
        session_.portSlot().reset();
        if (session_.isOnline())
            session_.GoOffline();
    }
}

TEST_F(PageSourcesTest, SnppAndHttpPagesKeepTheirSenderAndLogin)
{
    startOnline();
    GatewaySettings settings;
    settings.snppOn = true;
    settings.snpp = {QHostAddress(QHostAddress::LocalHost), GatewayClients::freePort()};
    settings.httpOn = true;
    settings.http = {QHostAddress(QHostAddress::LocalHost), GatewayClients::freePort()};
    const Credentials::NewToken token = Credentials::makeToken(QStringLiteral("till"));
    settings.tokens = {token.stored};
    Gateway gateway(session_, host_.image);
    ASSERT_TRUE(gateway.apply(settings).isEmpty());

    const GatewayClients::Run snpp = GatewayClients::snppPage(
        gateway.snppPort(), {QStringLiteral("12")}, QStringLiteral("By SNPP"));
    ASSERT_EQ(snpp.exitCode, 0) << snpp.err.toStdString();
    const GatewayClients::Run http = GatewayClients::run(
        QStringLiteral("/usr/bin/curl"),
        {QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--max-time"),
         QStringLiteral("30"), QStringLiteral("-H"),
         QStringLiteral("Authorization: Bearer ") + token.token, QStringLiteral("--json"),
         QStringLiteral(R"({"to":[40],"text":"By HTTP"})"),
         QStringLiteral("http://127.0.0.1:%1/pages").arg(gateway.httpPort())});
    ASSERT_EQ(http.exitCode, 0) << http.out.toStdString() << http.err.toStdString();

    const QList<PageHistoryEntry> kept = rows();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_EQ(kept[0].origin,
              (PageOrigin{PageOrigin::Source::Snpp, QStringLiteral("127.0.0.1"), {}}));
    EXPECT_EQ(kept[0].text, QStringLiteral("By SNPP"));
    EXPECT_EQ(kept[0].outcome, HistoryOutcome::Confirmed);
    EXPECT_EQ(kept[1].origin, (PageOrigin{PageOrigin::Source::Http, QStringLiteral("127.0.0.1"),
                                          QStringLiteral("till")}));
    EXPECT_EQ(kept[1].recipient, 40u);
    gateway.close();
}

// tavolux-cli page on its own port, two at once on two units: each keeps its row in the one
// history, with the name the console's saved database gives the pager.
TEST(CommandLinePageHistory, PagesOnTheirOwnPortsKeepOneRowEach)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    SimulatedUnit first;
    SimulatedUnit second({QStringLiteral("--silent-after"), QStringLiteral("0"),
                          QStringLiteral("--fault-type"), QStringLiteral("4")});
    ASSERT_TRUE(first.started() && second.started());
    const QString site = dir.filePath(QStringLiteral("site.dat"));
    Database names;
    names.names().setName(12, QStringLiteral("Bar staff"));
    ASSERT_TRUE(names.writeNamesFile(site));
    {
        QSettings settings(dir.filePath(QStringLiteral("config/Brindleco Signals/tavolux.conf")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/SaveFile"), site);
    }
    const CliSetting setting{.configFolder = dir.filePath(QStringLiteral("config")),
                             .dataFolder = data};
    auto pageOn = [&setting](const SimulatedUnit& unit, const QString& text) {
        return startCli({QStringLiteral("page"), QStringLiteral("--port"), unit.path(),
                         QStringLiteral("--to"), QStringLiteral("12"), text},
                        setting);
    };
    const std::unique_ptr<ChildProcess> one = pageOn(first, QStringLiteral("first unit"));
    const std::unique_ptr<ChildProcess> two = pageOn(second, QStringLiteral("second unit"));
    EXPECT_EQ(one->wait(30000), Cli::Success) << one->standardError().constData();
    EXPECT_NE(two->wait(30000), Cli::Success);
    EXPECT_FALSE(one->standardError().contains("page history")) << one->standardError().constData();
    EXPECT_FALSE(two->standardError().contains("page history")) << two->standardError().constData();

    PageHistoryReader reader;
    ASSERT_FALSE(reader.open(data + QStringLiteral("/Brindleco Signals/tavolux/pages.sqlite")));
    const QList<PageHistoryEntry> rows = reader.rows({}, {HistoryColumn::Text, true}, 0, 10);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text, QStringLiteral("first unit"));
    EXPECT_EQ(rows[0].outcome, HistoryOutcome::Confirmed);
    EXPECT_EQ(rows[1].outcome, HistoryOutcome::Failed);
    EXPECT_EQ(rows[1].reason, QString::fromLatin1(HistoryReason::NoResponse));
    for (const PageHistoryEntry& row : rows) {
        EXPECT_EQ(row.origin.source, PageOrigin::Source::CommandLine);
        EXPECT_EQ(row.name, QStringLiteral("Bar staff"));
    }
}
