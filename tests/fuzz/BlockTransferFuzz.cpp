// One block transfer against a unit whose answers are the fuzz input: a receive (image or status
// text, into the caller's buffer or one of the transfer's own, any announced 24-bit length) or a
// send (image or page record) with any answers in any state. The outcome and every byte the
// program put on the line are checked against the wire format.
//
// Input: byte 0 picks the transfer (bits 0-1: type 3, 8, 2, 4; bit 2: receive into a buffer of
// the expected length; bits 3-7: bytes per write for a send, 0 for all), bytes 1-2 the length to
// send or expect (high byte first), the rest is what the unit sends.
//
// A receive into a buffer of the transfer's own allocates the whole announced length up front:
// near 16 MiB costs some 40 ms under the sanitizers, a hundred ordinary runs. Such lengths still
// run, but only when bits 3-7 of byte 0 (unused by a receive) are all set, so that a mutated
// length byte does not drag the rate down; other inputs announcing them are rejected.
#include "BlockTransfer.h"
#include "FuzzCheck.h"
#include "FuzzedUnitChannel.h"
#include "TransferListener.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

constexpr uint8_t Types[] = {BlockTransfer::ImageFromUnit, BlockTransfer::StatusText,
                             BlockTransfer::ImageToUnit, BlockTransfer::PageRecord};
// Far beyond what a transfer needs once its answers are used up; only a hang reaches it.
constexpr int EndTimeoutMs = 10000;
constexpr uint32_t LargeBlock = 1u << 20;
constexpr uint8_t LargeBlocksAllowed = 0xF8;

struct Outcome {
    std::vector<int> progress;
    int done = 0;
    int failed = 0;
    QStringList messages;
};

class OutcomeRecorder : public TransferListener {
public:
    explicit OutcomeRecorder(FuzzedUnitChannel& channel)
        : channel_(channel)
    {}

    void transferProgress(int percent) override
    {
        std::lock_guard lock(mutex_);
        outcome_.progress.push_back(percent);
    }
    void transferDone() override
    {
        {
            std::lock_guard lock(mutex_);
            ++outcome_.done;
        }
        channel_.noteOutcome();
    }
    void transferFailed() override
    {
        {
            std::lock_guard lock(mutex_);
            ++outcome_.failed;
        }
        channel_.noteOutcome();
    }
    void transferMessage(const QString& text) override
    {
        std::lock_guard lock(mutex_);
        outcome_.messages.append(text);
    }

    Outcome snapshot()
    {
        std::lock_guard lock(mutex_);
        return outcome_;
    }

private:
    FuzzedUnitChannel& channel_;
    std::mutex mutex_;
    Outcome outcome_;
};

uint16_t sumOf(const QByteArray& bytes)
{
    return BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<uint32_t>(bytes.size()));
}

uint8_t at(const QByteArray& bytes, qsizetype i)
{
    return static_cast<uint8_t>(bytes[i]);
}

QByteArray bytesOf(std::initializer_list<uint8_t> values)
{
    QByteArray out;
    for (uint8_t v : values)
        out.append(static_cast<char>(v));
    return out;
}

QString badChecksumText()
{
    return QCoreApplication::translate("BlockTransfer", "Error: Bad Checksum!");
}

void checkProgress(const std::vector<int>& progress)
{
    int previous = 0;
    for (int percent : progress) {
        FUZZ_CHECK(percent >= previous && percent <= 100);
        previous = percent;
    }
}

void checkReceive(uint8_t type, uint32_t expected, const FuzzedUnitChannel& unit,
                  const Outcome& outcome, const BlockTransfer& transfer)
{
    const QByteArray& answers = unit.answers();
    const qsizetype read = unit.answersRead();
    const QByteArray written = unit.written();
    if (read < 3) {
        FUZZ_CHECK(outcome.done + outcome.failed == 0);
        FUZZ_CHECK(written == bytesOf({type}));
        return;
    }
    const uint32_t announced = at(answers, 0) << 16 | at(answers, 1) << 8 | at(answers, 2);
    if (expected != 0 && announced != expected) {
        FUZZ_CHECK(outcome.failed == 1 && outcome.done == 0);
        FUZZ_CHECK(written == bytesOf({type, BlockTransfer::Nak}));
        FUZZ_CHECK(outcome.messages == QStringList{"Invalid length for received data"});
        FUZZ_CHECK(read == 3);
        return;
    }
    const qsizetype end = 3 + static_cast<qsizetype>(announced) + 2;
    if (read < end) {
        FUZZ_CHECK(outcome.done + outcome.failed == 0);
        FUZZ_CHECK(written == bytesOf({type, BlockTransfer::Ack}));
        FUZZ_CHECK(unit.silent());
        return;
    }
    FUZZ_CHECK(read == end);
    const QByteArray data = answers.mid(3, announced);
    const uint16_t sent = static_cast<uint16_t>(at(answers, end - 2) << 8 | at(answers, end - 1));
    if (sent == sumOf(data)) {
        FUZZ_CHECK(outcome.done == 1 && outcome.failed == 0 && outcome.messages.isEmpty());
        FUZZ_CHECK(written == bytesOf({type, BlockTransfer::Ack, BlockTransfer::Ack}));
        FUZZ_CHECK(transfer.Length() == announced);
        FUZZ_CHECK(QByteArray(reinterpret_cast<const char*>(transfer.Data()),
                              static_cast<qsizetype>(transfer.Length())) == data);
        FUZZ_CHECK(announced == 0 || outcome.progress.back() == 100);
    } else {
        FUZZ_CHECK(outcome.failed == 1 && outcome.done == 0);
        FUZZ_CHECK(written == bytesOf({type, BlockTransfer::Ack, BlockTransfer::Nak}));
        FUZZ_CHECK(outcome.messages == QStringList{badChecksumText()});
    }
}

void checkSend(uint8_t type, const QByteArray& data, const FuzzedUnitChannel& unit,
               const Outcome& outcome)
{
    const QByteArray& answers = unit.answers();
    const qsizetype read = unit.answersRead();
    const QByteArray written = unit.written();
    const auto length = static_cast<uint32_t>(data.size());
    const QByteArray header =
        bytesOf({type, static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 8),
                 static_cast<uint8_t>(length)});
    FUZZ_CHECK(written.startsWith(header));
    const uint16_t sum = sumOf(data);
    const QByteArray wholeBlock =
        data + bytesOf({static_cast<uint8_t>(sum >> 8), static_cast<uint8_t>(sum)});
    const QByteArray payload = written.mid(header.size());
    FUZZ_CHECK(wholeBlock.startsWith(payload));

    // The unit paces the data: nothing before its ACK to the length, and no more than one
    // block beyond each 0xF6 it has sent since. readyHeard[n] counts those 0xF6 among the first
    // n answers, so that a send written byte by byte is checked in linear time.
    const qsizetype firstAck = answers.indexOf(static_cast<char>(BlockTransfer::Ack));
    std::vector<qsizetype> readyHeard(static_cast<size_t>(answers.size()) + 1, 0);
    for (qsizetype i = 0; i < answers.size(); ++i)
        readyHeard[i + 1] = readyHeard[i] + (firstAck >= 0 && i > firstAck &&
                                             at(answers, i) == BlockTransfer::BlockReady);
    qsizetype payloadSoFar = 0;
    qsizetype headerLeft = header.size();
    for (const FuzzedUnitChannel::WriteRecord& write : unit.writes()) {
        const qsizetype headerPart = std::min(headerLeft, write.bytes.size());
        headerLeft -= headerPart;
        payloadSoFar += write.bytes.size() - headerPart;
        if (write.bytes.size() == headerPart)
            continue;
        FUZZ_CHECK(firstAck >= 0 && firstAck < write.answersRead);
        FUZZ_CHECK(std::min<qsizetype>(payloadSoFar, length) <=
                   BlockTransfer::BlockSize * (1 + readyHeard[write.answersRead]));
    }

    if (outcome.done + outcome.failed == 0) {
        FUZZ_CHECK(unit.silent() && read == answers.size());
        return;
    }
    FUZZ_CHECK(outcome.done + outcome.failed == 1);
    const uint8_t last = at(answers, read - 1);
    if (outcome.done == 1) {
        FUZZ_CHECK(last == BlockTransfer::Ack && payload == wholeBlock);
        FUZZ_CHECK(outcome.messages.isEmpty());
        FUZZ_CHECK(length == 0 || outcome.progress.back() == 100);
    } else if (last == BlockTransfer::Nak) {
        FUZZ_CHECK(payload == wholeBlock);
        FUZZ_CHECK(outcome.messages == QStringList{badChecksumText()});
    } else {
        FUZZ_CHECK(payload.isEmpty());
        FUZZ_CHECK(last == BlockTransfer::InvalidLength || last == BlockTransfer::OutOfMemory);
        FUZZ_CHECK(outcome.messages.size() == 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t type = Types[input[0] & 0x03];
    const bool intoCallerBuffer = (input[0] & 0x04) != 0;
    const int writeLimit = input[0] >> 3;
    const uint32_t length = static_cast<uint32_t>(input[1] << 8 | input[2]);
    const bool receive = BlockTransfer::isReceiveType(type);
    if (receive && !intoCallerBuffer && size >= 6 &&
        static_cast<uint32_t>(input[3] << 16 | input[4] << 8 | input[5]) >= LargeBlock &&
        (input[0] & LargeBlocksAllowed) != LargeBlocksAllowed)
        return -1;
    FuzzedUnitChannel unit(
        QByteArray(reinterpret_cast<const char*>(input + 3), static_cast<qsizetype>(size - 3)),
        writeLimit);
    OutcomeRecorder recorder(unit);

    // Exactly the length sent or expected, so that the sanitizer catches a step past its end.
    std::vector<uint8_t> buffer(receive && !intoCallerBuffer ? 0 : length);
    QByteArray sent;
    if (!receive) {
        for (uint32_t i = 0; i < length; ++i)
            buffer[i] = static_cast<uint8_t>(i * 37 + 11);
        sent = QByteArray(reinterpret_cast<const char*>(buffer.data()),
                          static_cast<qsizetype>(length));
    }
    BlockTransfer transfer(unit, recorder);
    transfer.Start(type, buffer.empty() ? nullptr : buffer.data(),
                   static_cast<uint32_t>(buffer.size()));
    FUZZ_CHECK(unit.waitForSilenceOrOutcome(EndTimeoutMs));
    // What the unit's answers led to. Once the reads are released, a transfer that gives up on
    // a silent unit may still fail before the stop reaches it; that is no fault of the answers.
    const Outcome outcome = recorder.snapshot();
    unit.releaseReads();
    transfer.Stop();

    const Outcome afterStop = recorder.snapshot();
    FUZZ_CHECK(afterStop.done + afterStop.failed <= 1);
    FUZZ_CHECK(afterStop.done == outcome.done);
    checkProgress(afterStop.progress);
    if (receive)
        checkReceive(type, static_cast<uint32_t>(buffer.size()), unit, outcome, transfer);
    else
        checkSend(type, sent, unit, outcome);
    return 0;
}
