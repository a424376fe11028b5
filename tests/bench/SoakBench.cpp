// Sends many pages through one unit session to the simulated unit making random faults, and
// checks against what the unit logged that every page the program confirmed arrived exactly
// once. After a failed page the session is offline: it opens the line again (a hang-up gives
// the unit a new one) and reconnects, as a user would. With SENDERS, the pages come through the
// page desk from that many senders at once, each sending its next page when its last one ended,
// as the gateway's intake does; the time from each request to its answer is measured.
#include "../support/ChildProcess.h"

#include "ConfigurationImage.h"
#include "PageDesk.h"
#include "SerialPort.h"
#include "UnitSession.h"
#include "UnitSessionHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Short, so that the faults do not dominate the run; the unit is simulated and answers at once.
constexpr int AnswerTimeoutMs = 300;
constexpr int PagePauseMs = 0;
// A page that has neither been confirmed nor failed by then is reported as stuck.
constexpr int PageDeadlineMs = 10000;
constexpr int ReconnectDeadlineMs = 30000;

class SoakHost : public UnitSessionHost {
public:
    PortSettings settings;
    QMap<QString, int> said;

    void inform(const QString& text) override { ++said[text]; }
    void alert(const QString& text) override { ++said[text]; }
    bool confirm(const QString&) override { return true; }
    PortSettings savedPortSettings() override { return settings; }
    void saveDatabase() override {}
    bool runImageTransfer(uint8_t) override { return false; }
    bool runStatusWindow() override { return true; }
    void runFirmwareUpdate() override {}
    void runVoicePromptUpdate() override {}
    void runConnectionSettings() override {}
    void imageReplaced() override {}
};

// Turns the event loop until done() holds or the time is up, pumping the page queue meanwhile.
bool pumpUntil(UnitSession& session, const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer pump;
    QElapsedTimer clock;
    clock.start();
    bool reached = false;
    QObject::connect(&pump, &QTimer::timeout, &loop, [&] {
        session.PumpPages();
        reached = done();
        if (reached || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    pump.start(1);
    loop.exec();
    return reached;
}

bool reconnect(UnitSession& session, SoakHost& host)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ReconnectDeadlineMs) {
        if (!session.hasOpenPort())
            session.openPort(host.settings);
        if (session.hasOpenPort())
            session.ConnectCommand();
        if (session.isOnline())
            return true;
        QThread::msleep(20);
    }
    return false;
}

QString pageText(int number)
{
    return QStringLiteral("soak %1").arg(number, 6, 10, QLatin1Char('0'));
}

uint16_t recipientOf(int number)
{
    return static_cast<uint16_t>(1 + number % 1000);
}

struct Outcomes {
    std::vector<int> confirmed;
    std::vector<int> failed;
    int stuck = 0;
    // Request to answer, in milliseconds, of every page through the desk.
    std::vector<double> answerMs;
    // Why the pages through the desk did not go; a failure the sender was told no reason for is
    // counted apart.
    QMap<QString, int> reasons;
    int failedWithoutReason = 0;
};

// One page at a time, queued on the session directly.
bool runThroughSession(UnitSession& session, SoakHost& host, int pages, Outcomes& outcomes)
{
    for (int number = 0; number < pages; ++number) {
        if (!session.isOnline() && !reconnect(session, host)) {
            std::fprintf(stderr, "no connection to the unit for %d s at page %d\n",
                         ReconnectDeadlineMs / 1000, number);
            return false;
        }
        session.QueuePage(UnitSession::pageRecord(recipientOf(number), pageText(number)), {});
        const bool over = pumpUntil(
            session,
            [&] {
                return !session.isOnline() ||
                       (session.pageQueue().isEmpty() && !session.isPageBusy());
            },
            PageDeadlineMs);
        if (!over) {
            ++outcomes.stuck;
            session.StopPageTransfer();
            session.GoOffline();
        }
        if (over && session.isOnline()) {
            outcomes.confirmed.push_back(number);
        } else {
            outcomes.failed.push_back(number);
            // The line may be gone; a fresh open finds the unit's new one.
            session.openPort(host.settings);
        }
    }
    return true;
}

// Several senders at once through the page desk; a sender whose page ended sends its next one,
// reconnecting first when the session went offline.
bool runThroughDesk(UnitSession& session, SoakHost& host, int pages, int senders,
                    Outcomes& outcomes)
{
    ConfigurationImage image;
    PageDesk desk(session, image);
    QObject context;
    QElapsedTimer clock;
    clock.start();
    qint64 lastAnswerMs = 0;
    int next = 0;
    int open = 0;
    bool connectionLost = false;
    std::function<void()> sendNext = [&] {
        if (next >= pages || connectionLost)
            return;
        if (!session.isOnline()) {
            session.openPort(host.settings);
            if (!reconnect(session, host)) {
                std::fprintf(stderr, "no connection to the unit for %d s at page %d\n",
                             ReconnectDeadlineMs / 1000, next);
                connectionLost = true;
                return;
            }
        }
        const int number = next++;
        ++open;
        const qint64 startedNs = clock.nsecsElapsed();
        desk.submit({recipientOf(number)}, pageText(number), {PageOrigin::Source::Snpp, {}, {}},
                    &context, [&, number, startedNs](const QList<PageResult>& results) {
                        --open;
                        lastAnswerMs = clock.elapsed();
                        const PageResult& result = results.first();
                        outcomes.answerMs.push_back(
                            static_cast<double>(clock.nsecsElapsed() - startedNs) / 1e6);
                        if (result.outcome == PageOutcome::Confirmed) {
                            outcomes.confirmed.push_back(number);
                        } else {
                            outcomes.failed.push_back(number);
                            ++outcomes.reasons[outcomeName(result.outcome)];
                            // A dropped or offline page names its reason by its outcome alone.
                            const bool toldWhy = !result.message.isEmpty() ||
                                                 result.outcome == PageOutcome::Dropped ||
                                                 result.outcome == PageOutcome::Offline;
                            outcomes.failedWithoutReason += !toldWhy;
                        }
                        QTimer::singleShot(0, &context, sendNext);
                    });
    };
    for (int sender = 0; sender < senders; ++sender)
        sendNext();
    // Stuck: requests open and no answer for a page's deadline.
    constexpr int WholeRunLimitMs = 24 * 3600 * 1000;
    const bool over = pumpUntil(
        session,
        [&] {
            return (open == 0 && (next >= pages || connectionLost)) ||
                   (open > 0 && clock.elapsed() - lastAnswerMs > PageDeadlineMs);
        },
        WholeRunLimitMs);
    outcomes.stuck = open;
    return over && !connectionLost;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s PATH-TO-tavolux-unitsim [PAGES] [FAULT-RATE] [SEED] [SENDERS]\n",
                     argv[0]);
        return 1;
    }
    const int pages = argc > 2 ? std::atoi(argv[2]) : 10000;
    const QString faultRate = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("0.01");
    const QString seed = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("1");
    const int senders = argc > 5 ? std::atoi(argv[5]) : 0;

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    const QString log = dir.filePath(QStringLiteral("unit.log"));
    auto unit = std::make_unique<ChildProcess>(
        QString::fromLocal8Bit(argv[1]),
        QStringList{QStringLiteral("--link"), link, QStringLiteral("--log"), log,
                    QStringLiteral("--speed"), QStringLiteral("115200"),
                    QStringLiteral("--fault-rate"), faultRate, QStringLiteral("--seed"), seed});
    if (!unit->started() || !unit->readLine().contains("unit on")) {
        std::fprintf(stderr, "the simulated unit did not start\n");
        return 1;
    }

    SoakHost host;
    host.settings.port = link;
    host.settings.baudRate = 115200;
    UnitSession session(host);
    session.setAnswerTimeout(AnswerTimeoutMs);
    session.setPagePause(PagePauseMs);

    Outcomes outcomes;
    QElapsedTimer clock;
    clock.start();
    const bool ran = senders > 0 ? runThroughDesk(session, host, pages, senders, outcomes)
                                 : runThroughSession(session, host, pages, outcomes);
    if (!ran)
        return 1;
    const std::vector<int>& confirmed = outcomes.confirmed;
    const std::vector<int>& failed = outcomes.failed;
    const int stuck = outcomes.stuck;
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    session.DisconnectCommand();
    unit.reset();

    // What the unit took and acknowledged, by page number.
    QMap<int, int> received;
    QMap<QString, int> faults;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the unit's log\n");
        return 1;
    }
    static const QRegularExpression number(QStringLiteral("soak (\\d{6})"));
    while (!file.atEnd()) {
        const QJsonObject event = QJsonDocument::fromJson(file.readLine()).object();
        const QString name = event.value(QStringLiteral("event")).toString();
        if (name == u"fault")
            ++faults[event.value(QStringLiteral("kind")).toString()];
        if (name != u"page" || !event.value(QStringLiteral("acknowledged")).toBool())
            continue;
        const QRegularExpressionMatch match =
            number.match(event.value(QStringLiteral("text")).toString());
        if (match.hasMatch())
            ++received[match.captured(1).toInt()];
    }
    int lost = 0;
    for (const int page : confirmed)
        lost += received.value(page) != 1;
    int twice = 0;
    for (auto it = received.cbegin(); it != received.cend(); ++it)
        twice += it.value() > 1;
    int failedButReceived = 0;
    for (const int page : failed)
        failedButReceived += received.contains(page);

    if (senders > 0)
        std::printf("Soak: %d pages from %d senders at once through the page desk to the "
                    "simulated unit, fault rate %s, seed %s\n",
                    pages, senders, qPrintable(faultRate), qPrintable(seed));
    else
        std::printf(
            "Soak: %d pages through one session to the simulated unit, fault rate %s, seed %s\n",
            pages, qPrintable(faultRate), qPrintable(seed));
    std::printf("  answer time-out %d ms, pause after a page %d ms\n", AnswerTimeoutMs,
                PagePauseMs);
    std::printf("  pages confirmed:        %zu\n", confirmed.size());
    std::printf("  pages reported failed:  %zu (of which the unit did take %d)\n", failed.size(),
                failedButReceived);
    std::printf("  pages stuck:            %d\n", stuck);
    std::printf("  pages lost:             %d (confirmed but not received once; received twice: "
                "%d)\n",
                lost, twice);
    std::printf("  pages per second:       %.1f (%.1f s in all; %.1f ms a page)\n", pages / seconds,
                seconds, seconds * 1000 / std::max(pages, 1));
    if (senders > 0) {
        std::printf("  request to answer:      median %.1f ms, 99th percentile %.1f ms\n",
                    percentile(outcomes.answerMs, 0.5), percentile(outcomes.answerMs, 0.99));
        std::printf("  why pages did not go:  ");
        for (auto it = outcomes.reasons.cbegin(); it != outcomes.reasons.cend(); ++it)
            std::printf(" %s %d", qPrintable(it.key()), it.value());
        std::printf("\n  failed without a reason: %d\n", outcomes.failedWithoutReason);
    }
    std::printf("  faults the unit made:  ");
    for (auto it = faults.cbegin(); it != faults.cend(); ++it)
        std::printf(" %s %d", qPrintable(it.key()), it.value());
    std::printf("\n  what the user was told:\n");
    for (auto it = host.said.cbegin(); it != host.said.cend(); ++it)
        std::printf("    %5d  %s\n", it.value(), qPrintable(it.key()));
    return lost == 0 && twice == 0 && stuck == 0 && outcomes.failedWithoutReason == 0 ? 0 : 2;
}
