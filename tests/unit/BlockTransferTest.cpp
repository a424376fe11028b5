#include "BlockTransfer.h"
#include "RecordingListener.h"
#include "ScriptedUnit.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray pattern(int length)
{
    QByteArray data(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        data[i] = static_cast<char>(i * 37 + 11);
    return data;
}

// A unit taking a block: lengthAnswer to the length, 0xF6 after every 64 data bytes that more
// follow (with junk before it when asked), checksumAnswer to the checksum. It notes when the
// program sends beyond a block before it had the 0xF6.
struct TakingUnit {
    uint8_t lengthAnswer = BlockTransfer::Ack;
    uint8_t checksumAnswer = BlockTransfer::Ack;
    QByteArray junkBeforeReady;
    bool answeredLength = false;
    bool answeredChecksum = false;
    int readySent = 0;
    bool overran = false;

    QByteArray operator()(const QByteArray& all, const QByteArray&)
    {
        QByteArray out;
        if (all.size() < 4)
            return out;
        const int length = (static_cast<uint8_t>(all[1]) << 16) |
                           (static_cast<uint8_t>(all[2]) << 8) | static_cast<uint8_t>(all[3]);
        if (!answeredLength) {
            answeredLength = true;
            return QByteArray(1, static_cast<char>(lengthAnswer));
        }
        const int data = std::min<int>(static_cast<int>(all.size()) - 4, length);
        overran = overran || data > 64 * (readySent + 1);
        while (data >= 64 * (readySent + 1) && data < length) {
            out += junkBeforeReady;
            out += static_cast<char>(BlockTransfer::BlockReady);
            ++readySent;
        }
        if (!answeredChecksum && all.size() >= 4 + length + 2) {
            answeredChecksum = true;
            out += static_cast<char>(checksumAnswer);
        }
        return out;
    }
};

// A unit sending a block: after the type byte it announces its length, and after the
// program's ACK sends the data and the checksum it was given.
struct SendingUnit {
    uint32_t announced = 0;
    QByteArray data;
    uint16_t checksum = 0;

    QByteArray operator()(const QByteArray& all, const QByteArray&)
    {
        if (all.size() == 1)
            return bytes({static_cast<int>(announced >> 16) & 0xFF,
                          static_cast<int>(announced >> 8) & 0xFF,
                          static_cast<int>(announced) & 0xFF});
        if (all.size() == 2 && static_cast<uint8_t>(all[1]) == BlockTransfer::Ack)
            return data + bytes({checksum >> 8, checksum & 0xFF});
        return {};
    }
};

struct TransferRun {
    int outcome;
    QByteArray written;
    QStringList messages;
    std::vector<int> progress;
    QByteArray received;
    uint32_t length;
};

TransferRun runTransfer(ScriptedUnit& unit, uint8_t type, QByteArray* data, uint32_t length)
{
    RecordingListener listener;
    BlockTransfer transfer(unit, listener);
    transfer.Start(type, data ? reinterpret_cast<uint8_t*>(data->data()) : nullptr, length);
    const int outcome = listener.waitForOutcome(5000);
    transfer.Stop();
    EXPECT_LE(listener.outcomes(), 1);
    return {outcome,
            unit.written(),
            listener.messages(),
            listener.progress(),
            QByteArray(reinterpret_cast<const char*>(transfer.Data()),
                       static_cast<qsizetype>(transfer.Length())),
            transfer.Length()};
}

} // namespace

TEST(BlockTransferChecksum, SumsDataBytesIntoSixteenBits)
{
    const QByteArray abc("abc");
    EXPECT_EQ(BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(abc.constData()), 3),
              0x0126);
    const QByteArray ff(600, '\xFF');
    EXPECT_EQ(BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(ff.constData()), 600),
              0x55A8);
}

TEST(BlockTransferSend, PacesBlocksOf64AndSendsTheChecksumAtOnce)
{
    for (int length : {3, 63, 64, 65, 128, 129, 7738}) {
        ScriptedUnit unit;
        TakingUnit model;
        unit.answer = std::ref(model);
        QByteArray data = pattern(length);
        const TransferRun run =
            runTransfer(unit, BlockTransfer::ImageToUnit, &data, static_cast<uint32_t>(length));

        ASSERT_EQ(run.outcome, 1) << length;
        const uint16_t sum =
            BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(data.constData()), length);
        const QByteArray expected =
            bytes({2, (length >> 16) & 0xFF, (length >> 8) & 0xFF, length & 0xFF}) + data +
            bytes({sum >> 8, sum & 0xFF});
        EXPECT_EQ(run.written, expected) << length;
        EXPECT_FALSE(model.overran) << length << ": sent past a block before the unit's 0xF6";
        EXPECT_EQ(model.readySent, (length - 1) / 64) << length;
        ASSERT_FALSE(run.progress.empty());
        EXPECT_EQ(run.progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
        EXPECT_TRUE(run.messages.isEmpty());
    }
}

TEST(BlockTransferSend, APartialBlockWriteGoesOnWithoutWaitingForTheUnit)
{
    ScriptedUnit unit;
    TakingUnit model;
    unit.answer = std::ref(model);
    // type and three length bytes, then the first data write takes only 10 of 64 bytes
    unit.limitWrites({1, 1, 1, 1, 10});
    QByteArray data = pattern(100);
    const TransferRun run = runTransfer(unit, BlockTransfer::PageRecord, &data, 100);
    ASSERT_EQ(run.outcome, 1);
    const std::vector<int> sizes = unit.writeSizes();
    ASSERT_GE(sizes.size(), 9u);
    EXPECT_EQ(std::vector<int>(sizes.begin() + 4, sizes.begin() + 7),
              (std::vector<int>{10, 54, 36}));
    EXPECT_FALSE(model.overran);
    EXPECT_EQ(run.written.mid(4, 100), data);
}

TEST(BlockTransferSend, UnitAnswersThatEndTheTransfer)
{
    struct Case {
        const char* what;
        uint8_t lengthAnswer;
        uint8_t checksumAnswer;
        QString message;
        bool dataSent;
    };
    const Case cases[] = {
        {"invalid length", 0xF9, 0x06, QStringLiteral("Invalid data length received for sent data"),
         false},
        {"out of memory", 0xF8, 0x06, QStringLiteral("Out of memory received for sent data"),
         false},
        {"bad checksum", 0x06, 0x15, QStringLiteral("Error: Bad Checksum!"), true},
    };
    for (const Case& c : cases) {
        ScriptedUnit unit;
        TakingUnit model;
        model.lengthAnswer = c.lengthAnswer;
        model.checksumAnswer = c.checksumAnswer;
        unit.answer = std::ref(model);
        QByteArray data = pattern(70);
        const TransferRun run = runTransfer(unit, BlockTransfer::VoicePrompts, &data, 70);
        EXPECT_EQ(run.outcome, 2) << c.what;
        EXPECT_EQ(run.messages, QStringList{c.message}) << c.what;
        EXPECT_EQ(run.written.size(), c.dataSent ? 4 + 70 + 2 : 4) << c.what;
    }
}

TEST(BlockTransferSend, BytesThatDoNotFitTheStateAreIgnored)
{
    ScriptedUnit unit;
    TakingUnit model;
    model.junkBeforeReady = bytes({0x06, 0x15, 0xF9, 0x41});
    unit.answer = std::ref(model);
    unit.say(bytes({0x15, 0xF6, 0x00})); // before the length is even answered
    QByteArray data = pattern(200);
    const TransferRun run = runTransfer(unit, BlockTransfer::ImageToUnit, &data, 200);
    EXPECT_EQ(run.outcome, 1);
    EXPECT_FALSE(model.overran);
    EXPECT_EQ(run.written.mid(4, 200), data);
}

TEST(BlockTransferReceive, TakesTheAnnouncedBlockAndAnswersItsChecksum)
{
    struct Case {
        const char* what;
        uint32_t expected; // 0: any length, into the transfer's own buffer
        uint32_t announced;
        int checksumError;
        int outcome;
        QByteArray answers; // what the program wrote after the type byte
        QString message;
    };
    const Case cases[] = {
        {"status text", 0, 41, 0, 1, bytes({0x06, 0x06}), {}},
        {"configuration image", 7738, 7738, 0, 1, bytes({0x06, 0x06}), {}},
        {"image announced one short", 7738, 7737, 0, 2, bytes({0x15}),
         QStringLiteral("Invalid length for received data")},
        {"bad checksum", 0, 41, 1, 2, bytes({0x06, 0x15}), QStringLiteral("Error: Bad Checksum!")},
        {"empty block", 0, 0, 0, 1, bytes({0x06, 0x06}), {}},
    };
    for (const Case& c : cases) {
        ScriptedUnit unit;
        SendingUnit model;
        model.announced = c.announced;
        model.data = pattern(static_cast<int>(c.announced));
        model.checksum = static_cast<uint16_t>(
            BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(model.data.constData()),
                                    c.announced) +
            c.checksumError);
        unit.answer = std::ref(model);
        QByteArray buffer(static_cast<qsizetype>(c.expected), '\0');
        const uint8_t type = c.expected ? BlockTransfer::ImageFromUnit : BlockTransfer::StatusText;
        const TransferRun run = runTransfer(unit, type, c.expected ? &buffer : nullptr, c.expected);

        EXPECT_EQ(run.outcome, c.outcome) << c.what;
        EXPECT_EQ(run.written, QByteArray(1, static_cast<char>(type)) + c.answers) << c.what;
        EXPECT_EQ(run.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.what;
        if (c.outcome == 1) {
            EXPECT_EQ(run.received, model.data) << c.what;
            EXPECT_EQ(run.length, c.announced) << c.what;
            if (c.expected) {
                EXPECT_EQ(buffer, model.data) << c.what << ": the caller's buffer holds the block";
            }
            if (c.announced > 0) {
                EXPECT_EQ(run.progress.back(), 100) << c.what;
            }
        }
    }
}

TEST(BlockTransferStop, ASilentUnitWaitsUntilStoppedAndNothingIsReported)
{
    ScriptedUnit unit; // never answers
    RecordingListener listener;
    BlockTransfer transfer(unit, listener);
    QByteArray data = pattern(10);
    transfer.Start(BlockTransfer::PageRecord, reinterpret_cast<uint8_t*>(data.data()), 10);
    EXPECT_EQ(listener.waitForOutcome(300), 0);
    transfer.Stop();
    EXPECT_EQ(listener.outcomes(), 0);
    EXPECT_EQ(unit.written().size(), 4); // the header and nothing after it
}

TEST(BlockTransferFaults, SilenceOrABrokenLineEndsTheTransferWithItsMessage)
{
    constexpr int TimeoutMs = 300;
    const QString noResponse = QStringLiteral("No response from unit.");
    const QString lost = QStringLiteral("The connection to the unit was lost.");
    struct Case {
        const char* what;
        uint8_t type;
        std::function<void(ScriptedUnit&)> fault;
        QString message;
        bool atOnce; // a broken line ends it without waiting for the time-out
    };
    const auto silentAfterFirstBlock = [](ScriptedUnit& unit) {
        unit.answer = [](const QByteArray& all, const QByteArray&) {
            return all.size() == 4 ? bytes({BlockTransfer::Ack}) : QByteArray();
        };
    };
    const auto halfAStatusText = [](ScriptedUnit& unit) {
        SendingUnit model;
        model.announced = 100;
        model.data = pattern(50);
        unit.answer = model;
    };
    const auto noiseOnly = [](ScriptedUnit& unit) {
        // A unit that takes the length, then says only bytes that mean nothing.
        unit.answer = [](const QByteArray& all, const QByteArray&) {
            return all.size() == 4 ? bytes({BlockTransfer::Ack}) : QByteArray();
        };
        unit.noise = bytes({0x41, 0x00, 0xF7});
    };
    const Case cases[] = {
        {"send, the unit never answers the length", BlockTransfer::PageRecord, nullptr, noResponse,
         false},
        {"send, no 0xF6 after the first block", BlockTransfer::ImageToUnit, silentAfterFirstBlock,
         noResponse, false},
        {"send, the unit only spews bytes it has no business sending", BlockTransfer::PageRecord,
         noiseOnly, noResponse, false},
        {"send, nothing gets out", BlockTransfer::ImageToUnit,
         [](ScriptedUnit& unit) { unit.outputStuck = true; }, noResponse, false},
        {"receive, the unit never announces a length", BlockTransfer::StatusText, nullptr,
         noResponse, false},
        {"receive, the unit stops half way", BlockTransfer::StatusText, halfAStatusText, noResponse,
         false},
        {"send, line broken", BlockTransfer::ImageToUnit,
         [](ScriptedUnit& unit) { unit.broken = true; }, lost, true},
        {"receive, line broken", BlockTransfer::ImageFromUnit,
         [](ScriptedUnit& unit) { unit.broken = true; }, lost, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedUnit unit;
        if (c.fault)
            c.fault(unit);
        RecordingListener listener;
        BlockTransfer transfer(unit, listener);
        transfer.setAnswerTimeout(TimeoutMs);
        QByteArray data = pattern(BlockTransfer::isReceiveType(c.type) ? 0 : 200);
        QElapsedTimer clock;
        clock.start();
        transfer.Start(c.type, data.isEmpty() ? nullptr : reinterpret_cast<uint8_t*>(data.data()),
                       static_cast<uint32_t>(data.size()));
        EXPECT_EQ(listener.waitForOutcome(3000), 2);
        const qint64 took = clock.elapsed();
        transfer.Stop();
        EXPECT_EQ(listener.messages(), QStringList{c.message});
        EXPECT_EQ(listener.outcomes(), 1);
        if (c.atOnce) {
            EXPECT_LT(took, TimeoutMs);
        } else {
            EXPECT_GE(took, TimeoutMs);
            EXPECT_LT(took, TimeoutMs + 1000);
        }
    }
}

TEST(BlockTransferFaults, ASlowUnitIsNeverCutShortWhileItsAnswersKeepComing)
{
    // Each answer comes well within the time-out; the whole transfer takes many time-outs.
    constexpr int TimeoutMs = 150;
    for (const uint8_t type : {BlockTransfer::ImageToUnit, BlockTransfer::StatusText}) {
        SCOPED_TRACE(static_cast<int>(type));
        ScriptedUnit unit;
        unit.paceMs = 40;
        TakingUnit taking;
        SendingUnit sending;
        sending.announced = 30;
        sending.data = pattern(30);
        sending.checksum =
            BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(sending.data.constData()), 30);
        if (type == BlockTransfer::ImageToUnit)
            unit.answer = std::ref(taking);
        else
            unit.answer = std::ref(sending);
        QByteArray data = pattern(type == BlockTransfer::ImageToUnit ? 64 * 20 : 0);
        RecordingListener listener;
        BlockTransfer transfer(unit, listener);
        transfer.setAnswerTimeout(TimeoutMs);
        QElapsedTimer clock;
        clock.start();
        transfer.Start(type, data.isEmpty() ? nullptr : reinterpret_cast<uint8_t*>(data.data()),
                       static_cast<uint32_t>(data.size()));
        EXPECT_EQ(listener.waitForOutcome(10000), 1)
            << listener.messages().join(u'|').toStdString();
        EXPECT_GT(clock.elapsed(), 4 * TimeoutMs);
        transfer.Stop();
    }
}

TEST(BlockTransferStop, StopsPromptlyWhileNothingGetsOut)
{
    ScriptedUnit unit;
    unit.outputStuck = true;
    RecordingListener listener;
    BlockTransfer transfer(unit, listener);
    QByteArray data = pattern(10);
    transfer.Start(BlockTransfer::PageRecord, reinterpret_cast<uint8_t*>(data.data()), 10);
    QThread::msleep(100);
    QElapsedTimer clock;
    clock.start();
    transfer.Stop();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(listener.outcomes(), 0);
}
