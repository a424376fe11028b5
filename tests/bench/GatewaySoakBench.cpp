// Pages through the headless gateway (tavolux-cli serve) from several SNPP and HTTP clients at
// once, to the simulated unit making random faults, and checks against what the unit logged
// that every page the gateway answered as sent (SNPP 250, HTTP 200) arrived exactly once, that
// every refusal names why and that no request went unanswered. Prints pages per second and the
// median and 99th-percentile time from SEND (or the POST) to its answer, beside the unit's own
// time per page.
#include "../support/ChildProcess.h"
#include "CapacityDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QMutex>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <optional>
#include <cstdio>
#include <vector>

namespace {

constexpr int ReplyWaitMs = 30000;

struct Answer {
    int page;
    bool sent;      // 250 or 200: the gateway says the unit has it
    QString reason; // otherwise, what the gateway said
    qint64 elapsedUs;
};

QString pageText(int number)
{
    return QStringLiteral("soak %1").arg(number, 6, 10, QLatin1Char('0'));
}

uint16_t recipient(int number)
{
    return static_cast<uint16_t>(1 + number % ConfigurationImage::PagerCount);
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One line from the socket, CR LF taken off; empty when none came in time.
QByteArray readLine(QTcpSocket& socket)
{
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(ReplyWaitMs))
            return {};
    }
    return socket.readLine().trimmed();
}

class Client : public QThread {
public:
    Client(bool snpp, quint16 port, std::atomic<int>& next, int pages)
        : snpp_(snpp)
        , port_(port)
        , next_(next)
        , pages_(pages)
    {}
    std::vector<Answer> answers;
    int retries = 0;

protected:
    void run() override
    {
        for (int number = next_++; number < pages_; number = next_++) {
            // A connection dropped before the request was whole is tried again; one dropped
            // while the answer was awaited is counted as unanswered.
            for (int attempt = 0; attempt < 20; ++attempt) {
                const std::optional<Answer> answer = snpp_ ? snppPage(number) : httpPage(number);
                if (answer) {
                    answers.push_back(*answer);
                    // As a site's system would, it gives a gateway that has lost the unit a
                    // moment before the next page.
                    if (!answer->sent)
                        QThread::msleep(100);
                    break;
                }
                ++retries;
                socket_.reset();
                QThread::msleep(20 * (attempt + 1));
            }
        }
        if (socket_ && snpp_) {
            socket_->write("QUIT\r\n");
            socket_->waitForBytesWritten(1000);
        }
    }

private:
    bool connectIfNeeded()
    {
        if (socket_ && socket_->state() == QAbstractSocket::ConnectedState && sinceConnect_ < 20)
            return true;
        socket_ = std::make_unique<QTcpSocket>();
        sinceConnect_ = 0;
        socket_->connectToHost(QHostAddress::LocalHost, port_);
        if (!socket_->waitForConnected(ReplyWaitMs))
            return false;
        return !snpp_ || readLine(*socket_).startsWith("220");
    }

    std::optional<Answer> snppPage(int number)
    {
        if (!connectIfNeeded())
            return std::nullopt;
        ++sinceConnect_;
        QTcpSocket& socket = *socket_;
        socket.write(QStringLiteral("PAGE %1\r\n").arg(recipient(number)).toLatin1());
        if (!readLine(socket).startsWith("250"))
            return std::nullopt;
        socket.write("MESS " + pageText(number).toLatin1() + "\r\n");
        if (!readLine(socket).startsWith("250"))
            return std::nullopt;
        QElapsedTimer clock;
        clock.start();
        socket.write("SEND\r\n");
        const QByteArray reply = readLine(socket);
        if (reply.isEmpty())
            return Answer{number, false, QStringLiteral("(no answer)"), clock.nsecsElapsed() / 1000};
        return Answer{number, reply.startsWith("250"), QString::fromLatin1(reply.mid(4)),
                      clock.nsecsElapsed() / 1000};
    }

    std::optional<Answer> httpPage(int number)
    {
        if (!connectIfNeeded())
            return std::nullopt;
        ++sinceConnect_;
        QTcpSocket& socket = *socket_;
        const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("to"), recipient(number)},
                                                          {QStringLiteral("text"), pageText(number)}})
                                    .toJson(QJsonDocument::Compact);
        QElapsedTimer clock;
        clock.start();
        socket.write("POST /pages HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                     "Content-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
        const QByteArray status = readLine(socket);
        if (status.isEmpty())
            return Answer{number, false, QStringLiteral("(no answer)"), clock.nsecsElapsed() / 1000};
        qsizetype length = 0;
        bool closes = false;
        for (QByteArray header = readLine(socket); !header.isEmpty(); header = readLine(socket)) {
            const QByteArray lower = header.toLower();
            if (lower.startsWith("content-length:"))
                length = lower.mid(15).trimmed().toLongLong();
            closes |= lower.startsWith("connection:") && lower.contains("close");
        }
        QByteArray answerBody;
        while (answerBody.size() < length &&
               (socket.bytesAvailable() > 0 || socket.waitForReadyRead(ReplyWaitMs)))
            answerBody += socket.read(length - answerBody.size());
        if (closes)
            socket_.reset();
        const int code = status.split(' ').value(1).toInt();
        if (code == 429)
            return std::nullopt; // too many at once from this peer: tried again
        return Answer{number, code == 200,
                      QStringLiteral("%1 %2").arg(code).arg(QString::fromUtf8(answerBody)),
                      clock.nsecsElapsed() / 1000};
    }

    bool snpp_;
    quint16 port_;
    std::atomic<int>& next_;
    int pages_;
    std::unique_ptr<QTcpSocket> socket_;
    int sinceConnect_ = 0;
};

double percentile(std::vector<qint64> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return static_cast<double>(values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))]) /
           1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s PATH-TO-tavolux-unitsim PATH-TO-tavolux-cli [PAGES] [FAULT-RATE] "
                     "[SEED] [CLIENTS]\n",
                     argv[0]);
        return 1;
    }
    const int pages = argc > 3 ? std::atoi(argv[3]) : 10000;
    const QString faultRate = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("0.01");
    const QString seed = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QStringLiteral("1");
    const int clients = std::max(2, argc > 6 ? std::atoi(argv[6]) : 8);

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

    Database database;
    fillToCapacity(database);
    const QString databasePath = dir.filePath(QStringLiteral("site.dat"));
    QString error;
    if (!database.writeDatabaseFile(databasePath, &error)) {
        std::fprintf(stderr, "cannot write the database: %s\n", qPrintable(error));
        return 1;
    }

    const quint16 snppPort = freePort();
    const quint16 httpPort = freePort();
    const QString serveLog = dir.filePath(QStringLiteral("serve.log"));
    // Its stderr goes to a file: a long run says more than a pipe holds.
    ChildProcess serve(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" 2>\"$SERVE_LOG\""),
         QString::fromLocal8Bit(argv[2]), QStringLiteral("serve"), QStringLiteral("--port"), link,
         QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(snppPort),
         QStringLiteral("--http"), QStringLiteral("127.0.0.1:%1").arg(httpPort),
         QStringLiteral("--timeout"), QStringLiteral("1"), databasePath},
        {QStringLiteral("SERVE_LOG=") + serveLog,
         QStringLiteral("XDG_CONFIG_HOME=") + dir.filePath(QStringLiteral("config")),
         QStringLiteral("XDG_RUNTIME_DIR=") + dir.path()});
    // Ready once both listeners take connections.
    QElapsedTimer startClock;
    startClock.start();
    for (const quint16 port : {snppPort, httpPort}) {
        bool up = false;
        while (!up && startClock.elapsed() < 20000) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            up = probe.waitForConnected(200);
            if (!up)
                QThread::msleep(50);
        }
        if (!up) {
            QFile said(serveLog);
            said.open(QIODevice::ReadOnly);
            std::fprintf(stderr, "serve did not listen on %u:\n%s\n", port, said.readAll().constData());
            return 1;
        }
    }

    std::atomic<int> next{0};
    std::vector<std::unique_ptr<Client>> workers;
    for (int i = 0; i < clients; ++i)
        workers.push_back(std::make_unique<Client>(i % 2 == 0, i % 2 == 0 ? snppPort : httpPort,
                                                   next, pages));
    QElapsedTimer clock;
    clock.start();
    for (auto& worker : workers)
        worker->start();
    for (auto& worker : workers)
        worker->wait();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    serve.signal(SIGTERM);
    const int serveExit = serve.wait(30000);
    unit.reset();

    std::vector<Answer> answers;
    int retries = 0;
    for (const auto& worker : workers) {
        answers.insert(answers.end(), worker->answers.begin(), worker->answers.end());
        retries += worker->retries;
    }

    QMap<int, int> received;
    QMap<QString, int> faults;
    std::vector<double> unitPageGapsMs;
    double lastPageT = -1;
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
        const double t = event.value(QStringLiteral("t")).toDouble();
        if (lastPageT >= 0)
            unitPageGapsMs.push_back(t - lastPageT);
        lastPageT = t;
        const QRegularExpressionMatch match =
            number.match(event.value(QStringLiteral("text")).toString());
        if (match.hasMatch())
            ++received[match.captured(1).toInt()];
    }

    int sent = 0, lost = 0, unanswered = 0, refusedButReceived = 0;
    QMap<QString, int> reasons;
    std::vector<qint64> latencies;
    for (const Answer& answer : answers) {
        latencies.push_back(answer.elapsedUs);
        if (answer.sent) {
            ++sent;
            lost += received.value(answer.page) != 1;
        } else {
            unanswered += answer.reason == u"(no answer)";
            refusedButReceived += received.contains(answer.page);
            // The reason without the page's own words, so that like counts with like.
            QString reason = answer.reason;
            static const QRegularExpression own(QStringLiteral("soak \\d{6}|\\(local ID \\d+\\)|\"to\":\\d+"));
            reason.remove(own);
            ++reasons[reason.left(100)];
        }
    }
    int twice = 0;
    for (auto it = received.cbegin(); it != received.cend(); ++it)
        twice += it.value() > 1;
    const int missing = pages - static_cast<int>(answers.size());
    std::sort(unitPageGapsMs.begin(), unitPageGapsMs.end());
    const double unitMs = unitPageGapsMs.empty() ? 0 : unitPageGapsMs[unitPageGapsMs.size() / 2];

    std::printf("Gateway soak: %d pages through tavolux-cli serve from %d clients (%d SNPP, %d "
                "HTTP), fault rate %s, seed %s\n",
                pages, clients, (clients + 1) / 2, clients / 2, qPrintable(faultRate),
                qPrintable(seed));
    std::printf("  answered as sent:       %d\n", sent);
    std::printf("  answered as not sent:   %zu (of which the unit did take %d)\n",
                answers.size() - static_cast<size_t>(sent), refusedButReceived);
    std::printf("  never answered:         %d (connection lost while waiting: %d)\n", missing,
                unanswered);
    std::printf("  lost:                   %d (sent but not received once; received twice: %d)\n",
                lost, twice);
    std::printf("  requests tried again:   %d (connection refused, dropped or 429 before the "
                "request was whole)\n",
                retries);
    std::printf("  pages per second:       %.1f (%.1f s in all)\n", pages / seconds, seconds);
    std::printf("  time to answer:         median %.1f ms, 99th percentile %.1f ms\n",
                percentile(latencies, 0.5), percentile(latencies, 0.99));
    std::printf("  the unit's own time:    median %.1f ms between two pages it took\n", unitMs);
    std::printf("  serve ended with:       %d\n", serveExit);
    std::printf("  faults the unit made:  ");
    for (auto it = faults.cbegin(); it != faults.cend(); ++it)
        std::printf(" %s %d", qPrintable(it.key()), it.value());
    std::printf("\n  what serve said (one line an event):\n");
    QFile said(serveLog);
    if (said.open(QIODevice::ReadOnly)) {
        QMap<QString, int> events;
        static const QRegularExpression detail(QStringLiteral("\\(.*|on /\\S+|retrying in .*"));
        for (const QByteArray& line : said.readAll().split('\n')) {
            if (!line.isEmpty())
                ++events[QString::fromLocal8Bit(line).remove(detail).trimmed()];
        }
        for (auto it = events.cbegin(); it != events.cend(); ++it)
            std::printf("    %5d  %s\n", it.value(), qPrintable(it.key()));
    }
    std::printf("  why pages were not sent:\n");
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
        std::printf("    %5d  %s\n", it.value(), qPrintable(it.key()));
    return lost == 0 && twice == 0 && missing == 0 && unanswered == 0 && serveExit == 0 ? 0 : 2;
}
