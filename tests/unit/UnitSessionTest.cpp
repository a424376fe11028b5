// End-to-end: the real session and block transfers against the simulated unit over a pty.
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "TestHost.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

PortSettings savedAt(uint32_t baudRate)
{
    PortSettings saved;
    saved.baudRate = baudRate;
    return saved;
}

int lineBaud(const QJsonObject& event)
{
    return event.value(QStringLiteral("line")).toObject().value(QStringLiteral("baud")).toInt();
}

class UnitSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_.session = &session_;
        QObject::connect(&pump_, &QTimer::timeout, &session_, &UnitSession::PumpPages);
        pump_.start(50);
    }

    // Starts the unit and opens the console's port on it at the saved settings.
    void start(const QStringList& unitOptions, PortSettings saved = savedAt(9600))
    {
        unit_ = std::make_unique<SimulatedUnit>(unitOptions);
        ASSERT_TRUE(unit_->started());
        saved.port = unit_->path();
        host_.saved = saved;
        session_.openPort(saved);
        ASSERT_TRUE(session_.hasOpenPort()) << session_.port()->GetErrorText().toStdString();
    }

    void startOnline(const QStringList& unitOptions = {})
    {
        start(unitOptions);
        session_.ConnectCommand();
        ASSERT_TRUE(session_.isOnline()) << host_.informed.join(u'|').toStdString();
    }

    bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // The image the console holds, with something of its own in it.
    ConfigurationImage::Bytes markImage(uint16_t localId)
    {
        SiteBuilder(host_.image).pager(localId, 1000 + localId);
        host_.image.setChecksum(host_.image.computeChecksum());
        return host_.image.bytes();
    }

    TestHost host_;
    UnitSession session_{host_};
    QTimer pump_;
    std::unique_ptr<SimulatedUnit> unit_;
};

} // namespace

TEST_F(UnitSessionTest, ConnectPaths)
{
    struct Case {
        const char* what;
        QStringList unit;
        uint32_t saved;
        bool online;
        int connectsHeard;
        int answeredAt; // the line speed of the answered connect, 0 for none
        qint64 atLeastMs;
    };
    const Case cases[] = {
        {"answer at the saved speed", {}, 9600, true, 1, 9600, 0},
        {"unit still at 115200 answers the second try",
         {QStringLiteral("--speed"), QStringLiteral("115200")},
         9600,
         true,
         1,
         115200,
         1000},
        {"saved speed 115200 tries once",
         {QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--ignore-connect")},
         115200,
         false,
         1,
         0,
         1000},
        {"no answer at either speed",
         {QStringLiteral("--speed"), QStringLiteral("4800")},
         9600,
         false,
         0,
         0,
         2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host_.informed.clear();
        start(c.unit, savedAt(c.saved));
        SerialPort& port = *session_.port();
        const int32_t readTimeout = port.GetReadTimeout();

        QElapsedTimer clock;
        clock.start();
        session_.ConnectCommand();
        const qint64 took = clock.elapsed();

        EXPECT_EQ(session_.isOnline(), c.online);
        EXPECT_GE(took, c.atLeastMs);
        const QList<QJsonObject> connects = unit_->events(QStringLiteral("connect"));
        EXPECT_EQ(connects.size(), c.connectsHeard);
        if (c.online) {
            EXPECT_TRUE(host_.informed.isEmpty());
            EXPECT_EQ(port.GetBaudRate(), 115200u);
            ASSERT_FALSE(connects.isEmpty());
            EXPECT_EQ(lineBaud(connects.last()), c.answeredAt);
        } else {
            EXPECT_EQ(host_.informed, QStringList{QStringLiteral("No response from unit.")});
            EXPECT_EQ(port.GetBaudRate(), c.saved);
            EXPECT_EQ(port.GetReadTimeout(), readTimeout);
        }
        session_.DisconnectCommand();
    }
}

TEST_F(UnitSessionTest, ConnectWithoutAnOpenPort)
{
    session_.ConnectCommand();
    EXPECT_EQ(host_.informed,
              QStringList{QStringLiteral("Communications port not open, check configuration.")});
    PortSettings nowhere;
    nowhere.port = QStringLiteral("/dev/ttyNoSuchUnit");
    session_.openPort(nowhere);
    session_.ConnectCommand();
    EXPECT_EQ(host_.informed.size(), 2);
    EXPECT_FALSE(session_.isOnline());
}

TEST_F(UnitSessionTest, DisconnectGoesOfflineWithOrWithoutAnAnswer)
{
    for (bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "answered" : "unanswered");
        startOnline(answered ? QStringList{} : QStringList{QStringLiteral("--ignore-disconnect")});
        QElapsedTimer clock;
        clock.start();
        session_.DisconnectCommand();
        EXPECT_FALSE(session_.isOnline());
        EXPECT_EQ(session_.port()->GetBaudRate(), 9600u);
        if (answered)
            EXPECT_LT(clock.elapsed(), 900);
        else
            EXPECT_GE(clock.elapsed(), 1000);
        ASSERT_TRUE(unit_->waitForEvents(QStringLiteral("disconnect"), 1));
        EXPECT_EQ(unit_->events(QStringLiteral("disconnect"))
                      .first()
                      .value(QStringLiteral("answered"))
                      .toBool(),
                  answered);
        EXPECT_TRUE(host_.informed.isEmpty());
    }
}

TEST_F(UnitSessionTest, PagesGoOutInOrderEachAfterThePreviousIsConfirmed)
{
    startOnline();
    const QStringList texts{QStringLiteral("Table 4 ready"),
                            QStringLiteral("Señor Núñez, reception"), QString(150, u'x')};
    for (int i = 0; i < texts.size(); ++i)
        session_.QueuePage(UnitSession::pageRecord(static_cast<uint16_t>(12 + i), texts[i]), {});
    EXPECT_EQ(session_.pageQueue().size(), 3);
    ASSERT_TRUE(
        waitUntil([&] { return session_.pageQueue().isEmpty() && !session_.isPageBusy(); }));

    const QList<QJsonObject> pages = unit_->events(QStringLiteral("page"));
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QByteArray wire =
            QByteArray::fromHex(pages[i].value(QStringLiteral("bytes")).toString().toLatin1());
        EXPECT_EQ(wire, QByteArray::number(12 + i) + '\x1e' + texts[i].toLatin1() + '\x1e');
        EXPECT_TRUE(pages[i].value(QStringLiteral("acknowledged")).toBool());
        EXPECT_EQ(lineBaud(pages[i]), 115200);
        if (i > 0) {
            const qint64 gap = pages[i].value(QStringLiteral("t")).toInteger() -
                               pages[i - 1].value(QStringLiteral("t")).toInteger();
            EXPECT_GE(gap, 295) << "page " << i;
        }
    }
    EXPECT_TRUE(session_.isOnline());
}

TEST_F(UnitSessionTest, AFailedPageDropsTheQueueAndGoesOffline)
{
    startOnline({QStringLiteral("--nak-checksum"), QStringLiteral("always"),
                 QStringLiteral("--fault-type"), QStringLiteral("4")});
    for (int i = 0; i < 3; ++i)
        session_.QueuePage(UnitSession::pageRecord(7, QStringLiteral("page %1").arg(i)), {});
    ASSERT_TRUE(waitUntil([&] { return !session_.isOnline(); }));
    EXPECT_TRUE(session_.pageQueue().isEmpty());
    EXPECT_FALSE(session_.isPageBusy());
    EXPECT_EQ(host_.informed, QStringList{QStringLiteral("Error: Bad Checksum!")});
    QTest::qWait(400);
    EXPECT_EQ(unit_->events(QStringLiteral("page")).size(), 1);
    EXPECT_EQ(session_.port()->GetBaudRate(), 9600u);
}

TEST_F(UnitSessionTest, RefusalsOfferedToTheUser)
{
    session_.QueuePage(UnitSession::pageRecord(1, QStringLiteral("hello")), {});
    session_.DownloadCommand();
    EXPECT_EQ(
        host_.alerted,
        (QStringList{QStringLiteral("Message not sent.  Not Connected!"),
                     QStringLiteral("ERROR: You must specify a communications port first!")}));

    host_.alerted.clear();
    start({QStringLiteral("--silent-after"), QStringLiteral("0"), QStringLiteral("--fault-type"),
           QStringLiteral("4")});
    session_.UploadCommand();
    session_.StatusCommand();
    EXPECT_EQ(host_.alerted, QStringList(2, QStringLiteral("You must be Connected.")));

    // A page the unit never confirms keeps the port busy: transfers and status must wait.
    host_.alerted.clear();
    session_.ConnectCommand();
    ASSERT_TRUE(session_.isOnline());
    session_.QueuePage(UnitSession::pageRecord(1, QStringLiteral("hello")), {});
    ASSERT_TRUE(waitUntil([&] { return session_.isPageBusy(); }));
    session_.DownloadCommand();
    session_.StatusCommand();
    session_.VoicePromptUpdateCommand();
    EXPECT_EQ(host_.alerted,
              QStringList(3, QStringLiteral("Please wait for all message to be sent.")));
    EXPECT_TRUE(host_.calls.isEmpty());

    // Going offline first: No keeps everything, Yes disconnects (stopping the stuck page).
    host_.confirmAnswer = false;
    session_.ConnectionSettingsCommand();
    EXPECT_EQ(host_.asked,
              QStringList{QStringLiteral("Communications will be placed offline, continue?")});
    EXPECT_TRUE(session_.isOnline());
    host_.confirmAnswer = true;
    session_.ConnectionSettingsCommand();
    EXPECT_FALSE(session_.isOnline());
    EXPECT_FALSE(session_.isPageBusy());
    EXPECT_EQ(host_.calls, QStringList{QStringLiteral("settings")});
}

TEST_F(UnitSessionTest, DownloadAndUploadRoundTripByteForByte)
{
    startOnline({QStringLiteral("--garbage")});
    const ConfigurationImage::Bytes sent = markImage(42);
    session_.DownloadCommand();
    EXPECT_TRUE(session_.isOnline()) << host_.informed.join(u'|').toStdString();
    EXPECT_EQ(host_.calls, (QStringList{QStringLiteral("save"), QStringLiteral("transfer 2")}));
    const QList<QJsonObject> images = unit_->events(QStringLiteral("image"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(QByteArray::fromHex(images[0].value(QStringLiteral("bytes")).toString().toLatin1()),
              QByteArray(reinterpret_cast<const char*>(sent.data()), ConfigurationImage::Size));

    // A page queued while the image moves waits until the transfer is over.
    markImage(43);
    host_.calls.clear();
    host_.duringTransfer = [this] {
        session_.QueuePage(UnitSession::pageRecord(9, QStringLiteral("after")), {});
    };
    session_.UploadCommand();
    host_.duringTransfer = nullptr;
    ASSERT_TRUE(waitUntil([&] { return session_.pageQueue().isEmpty() && !session_.isPageBusy(); }))
        << session_.pageQueue().size() << " queued, busy " << session_.isPageBusy() << ", online "
        << session_.isOnline() << ", unit saw " << unit_->events().size() << " events";
    const QList<QJsonObject> all = unit_->events();
    const auto indexOf = [&](const QString& name) {
        return std::find_if(all.begin(), all.end(),
                            [&](const QJsonObject& e) {
                                return e.value(QStringLiteral("event")).toString() == name;
                            }) -
               all.begin();
    };
    EXPECT_LT(indexOf(QStringLiteral("upload")), indexOf(QStringLiteral("page")));
    EXPECT_TRUE(session_.isOnline());
    EXPECT_EQ(host_.calls,
              (QStringList{QStringLiteral("transfer 3"), QStringLiteral("imageReplaced")}));
    EXPECT_EQ(host_.image.bytes(), sent);

    session_.StatusCommand();
    EXPECT_TRUE(host_.statusText.contains("Pages received: 1"));
    EXPECT_TRUE(host_.informed.isEmpty());
}

TEST_F(UnitSessionTest, FailedOrAbortedTransfersGoOfflineAndKeepTheImage)
{
    struct Case {
        const char* what;
        bool download;
        QStringList unit;
        QString message; // empty: the user aborts after abortMs
        int abortMs;
        const char* unitSaw;
    };
    const Case cases[] = {
        {"length refused",
         true,
         {QStringLiteral("--refuse-length"), QStringLiteral("f9")},
         QStringLiteral("Invalid data length received for sent data"),
         -1,
         "length-refused"},
        {"out of memory",
         true,
         {QStringLiteral("--refuse-length"), QStringLiteral("f8")},
         QStringLiteral("Out of memory received for sent data"),
         -1,
         "length-refused"},
        {"download NAKed",
         true,
         {QStringLiteral("--nak-checksum"), QStringLiteral("once")},
         QStringLiteral("Error: Bad Checksum!"),
         -1,
         "image"},
        {"upload of the wrong length",
         false,
         {QStringLiteral("--upload-length"), QStringLiteral("7737")},
         QStringLiteral("Invalid length for received data"),
         -1,
         "upload"},
        {"upload with a bad checksum",
         false,
         {QStringLiteral("--corrupt-checksum")},
         QStringLiteral("Error: Bad Checksum!"),
         -1,
         "upload"},
        {"upload falls silent",
         false,
         {QStringLiteral("--silent-after"), QStringLiteral("100")},
         {},
         500,
         "silent"},
        {"download falls silent",
         true,
         {QStringLiteral("--silent-after"), QStringLiteral("130")},
         {},
         500,
         "silent"},
        {"line hung up mid-download",
         true,
         {QStringLiteral("--hangup-after"), QStringLiteral("1000")},
         QStringLiteral("The connection to the unit was lost."),
         -1,
         "hangup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host_.informed.clear();
        host_.abortTransferAfterMs = c.abortMs;
        // The user reads a message until the unit has read the console's last byte. Going
        // offline changes the line's speed at once, and the unit judges a byte by the speed
        // the line has when it reads it; the console lets its bytes go out first, but a
        // pseudo-terminal has nothing to drain, so on it only the unit's reading tells.
        host_.whileMessageShows = [&] {
            static_cast<void>(unit_->waitForEvents(QString::fromLatin1(c.unitSaw), 1));
        };
        startOnline(c.unit);
        const ConfigurationImage::Bytes before = markImage(77);

        c.download ? session_.DownloadCommand() : session_.UploadCommand();

        EXPECT_FALSE(session_.isOnline());
        EXPECT_EQ(host_.informed, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(host_.image.bytes(), before);
        EXPECT_TRUE(session_.pageQueue().isEmpty());
        EXPECT_TRUE(unit_->waitForEvents(QString::fromLatin1(c.unitSaw), 1));
    }
    host_.whileMessageShows = {};
}

TEST_F(UnitSessionTest, AUnitThatGoesQuietOrALineThatBreaksEndsTheExchangeAndGoesOffline)
{
    constexpr int TimeoutMs = 500;
    enum Exchange { Page, Download, Upload, Status };
    const QString noResponse = QStringLiteral("No response from unit.");
    const QString lost = QStringLiteral("The connection to the unit was lost.");
    struct Case {
        const char* what;
        QStringList unit;
        int killAfterMs; // -1: the unit stays
        QString message;
    };
    const Case faults[] = {
        {"silent after 5 data bytes",
         {QStringLiteral("--silent-after"), QStringLiteral("5")},
         -1,
         noResponse},
        {"hangs up after 5 data bytes",
         {QStringLiteral("--hangup-after"), QStringLiteral("5")},
         -1,
         lost},
        {"killed 0.3 s in", {QStringLiteral("--wire-time")}, 300, lost},
    };
    for (const Case& fault : faults) {
        for (const Exchange exchange : {Page, Download, Upload, Status}) {
            // Only a download lasts long enough at 115200 baud to be killed 0.3 s into it.
            if (fault.killAfterMs >= 0 && exchange != Download)
                continue;
            SCOPED_TRACE(testing::Message() << fault.what << ", exchange " << exchange);
            host_.informed.clear();
            session_.setAnswerTimeout(TimeoutMs);
            startOnline(fault.unit);
            const ConfigurationImage::Bytes before = markImage(31);
            if (fault.killAfterMs >= 0)
                QTimer::singleShot(fault.killAfterMs, [this] { unit_->kill(); });

            QElapsedTimer clock;
            clock.start();
            switch (exchange) {
            case Page:
                session_.QueuePage(
                    UnitSession::pageRecord(5, QStringLiteral("Table 4 is ready, please")), {});
                session_.QueuePage(UnitSession::pageRecord(6, QStringLiteral("never sent")), {});
                EXPECT_TRUE(waitUntil([&] { return !session_.isOnline(); }));
                break;
            case Download:
                session_.DownloadCommand();
                break;
            case Upload:
                session_.UploadCommand();
                break;
            case Status:
                session_.StatusCommand();
                break;
            }
            const qint64 took = clock.elapsed();

            EXPECT_EQ(host_.informed, QStringList{fault.message});
            EXPECT_FALSE(session_.isOnline());
            EXPECT_FALSE(session_.isPageBusy());
            EXPECT_TRUE(session_.pageQueue().isEmpty());
            EXPECT_EQ(host_.image.bytes(), before);
            EXPECT_LT(took, (fault.killAfterMs >= 0 ? fault.killAfterMs : 0) + TimeoutMs + 1500);
            if (fault.message == noResponse) {
                EXPECT_GE(took, TimeoutMs);
            }
        }
    }
}

TEST_F(UnitSessionTest, ALineThatBreaksWhileConnectingEndsTheWaitAtOnce)
{
    start({QStringLiteral("--ignore-connect")});
    // The connect holds this thread for its whole wait.
    std::thread killer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        unit_->kill();
    });
    QElapsedTimer clock;
    clock.start();
    session_.ConnectCommand();
    killer.join();
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_FALSE(session_.isOnline());
    EXPECT_EQ(host_.informed, QStringList{QStringLiteral("The connection to the unit was lost.")});
    EXPECT_EQ(session_.port()->GetBaudRate(), 9600u);
}

TEST_F(UnitSessionTest, AfterTheLineBrokeConnectOpensThePortAgain)
{
    // The unit is switched off in the middle of a page and on again (or an adapter is pulled
    // and plugged back in): the old descriptor will never carry a byte again.
    QTemporaryDir linkFolder;
    const QString link = linkFolder.filePath(QStringLiteral("unit"));
    unit_ = std::make_unique<SimulatedUnit>(
        QStringList{QStringLiteral("--hangup-after"), QStringLiteral("2"),
                    QStringLiteral("--fault-type"), QStringLiteral("4")},
        link);
    ASSERT_TRUE(unit_->started());
    PortSettings saved = savedAt(9600);
    saved.port = link;
    host_.saved = saved;
    session_.openPort(saved);
    session_.setAnswerTimeout(500);
    session_.ConnectCommand();
    ASSERT_TRUE(session_.isOnline());
    session_.QueuePage(UnitSession::pageRecord(5, QStringLiteral("lost with the line")), {});
    ASSERT_TRUE(waitUntil([&] { return !session_.isOnline(); }));
    EXPECT_EQ(host_.informed, QStringList{QStringLiteral("The connection to the unit was lost.")});

    unit_.reset();
    unit_ = std::make_unique<SimulatedUnit>(QStringList{}, link);
    ASSERT_TRUE(unit_->started());
    host_.informed.clear();
    session_.ConnectCommand();
    ASSERT_TRUE(session_.isOnline()) << host_.informed.join(u'|').toStdString();
    session_.QueuePage(UnitSession::pageRecord(5, QStringLiteral("after the unit came back")), {});
    EXPECT_TRUE(unit_->waitForEvents(QStringLiteral("page"), 1));
    EXPECT_TRUE(host_.informed.isEmpty()) << host_.informed.join(u'|').toStdString();
}

TEST_F(UnitSessionTest, RandomFaultsComeBackTheSameForTheSameSeed)
{
    // Every page gets a fault; after each failure the console opens the line again (a hang-up
    // gives the unit a new one) and reconnects.
    session_.setAnswerTimeout(200);
    session_.setPagePause(0);
    const auto faultsMade = [this](const QString& seed) {
        start({QStringLiteral("--fault-rate"), QStringLiteral("1"), QStringLiteral("--seed"), seed,
               QStringLiteral("--fault-type"), QStringLiteral("4"), QStringLiteral("--speed"),
               QStringLiteral("115200")},
              savedAt(115200));
        for (int page = 0; page < 6; ++page) {
            EXPECT_TRUE(waitUntil([&] {
                if (!session_.hasOpenPort())
                    session_.openPort(host_.saved);
                if (session_.hasOpenPort() && !session_.isOnline())
                    session_.ConnectCommand();
                return session_.isOnline();
            }));
            session_.QueuePage(UnitSession::pageRecord(1, QStringLiteral("page %1").arg(page)), {});
            EXPECT_TRUE(waitUntil([&] {
                return !session_.isOnline() ||
                       (session_.pageQueue().isEmpty() && !session_.isPageBusy());
            }));
            if (!session_.isOnline())
                session_.openPort(host_.saved);
        }
        QStringList made;
        for (const QJsonObject& fault : unit_->events(QStringLiteral("fault")))
            made << fault.value(QStringLiteral("kind")).toString() + u' ' +
                        QString::number(fault.value(QStringLiteral("after")).toInt());
        return made;
    };
    const QStringList first = faultsMade(QStringLiteral("11"));
    EXPECT_EQ(first.size(), 6);
    EXPECT_EQ(faultsMade(QStringLiteral("11")), first);
    EXPECT_NE(faultsMade(QStringLiteral("12")), first);
}
